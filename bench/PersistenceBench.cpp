// SPDX-License-Identifier: MIT
#include <benchmark/benchmark.h>

#include <optional>
#include <string>

#include "lumora/forms/MemoryPropertyBag.h"
#include "lumora/headless/HeadlessHost.h"

namespace lumora {
namespace {

// The host writes down every notification; draining it now and then keeps a
// long run from measuring the growth of that record.
constexpr std::size_t kMaxLogLines = 4096;

// A newly placed control widened to the benchmark's column count.
void PlaceControl(headless::HeadlessHost& host, const benchmark::State& state) {
    host->InitProperties();
    while (host->get_NumberOfRows() < state.range(0)) host->AddRow();
    host.TakeLog();
}

// "60;61;...": one width per column, each different so every token is parsed.
String WidthList(Long count) {
    std::string list;
    for (Long i = 0; i < count; ++i) {
        if (i > 0) list += ';';
        list += std::to_string(60 + i % 100);
    }
    return FromUtf8(list);
}

void BM_WriteProperties(benchmark::State& state) {
    headless::HeadlessHost host;
    PlaceControl(host, state);
    for (auto _ : state) {
        forms::MemoryPropertyBag bag;
        host->WriteProperties(bag);
        benchmark::DoNotOptimize(bag);
    }
}
BENCHMARK(BM_WriteProperties)->Arg(10)->Arg(1000);

void BM_ReadProperties(benchmark::State& state) {
    forms::MemoryPropertyBag saved;
    {
        headless::HeadlessHost original;
        PlaceControl(original, state);
        original->WriteProperties(saved);
    }
    // Creating the host, and dropping the previous one, is not part of the load.
    std::optional<headless::HeadlessHost> host;
    for (auto _ : state) {
        state.PauseTiming();
        host.emplace();
        state.ResumeTiming();
        host->control().ReadProperties(saved);
    }
}
BENCHMARK(BM_ReadProperties)->Arg(10)->Arg(1000);

void BM_PutColumnWidths(benchmark::State& state) {
    headless::HeadlessHost host;
    PlaceControl(host, state);
    const String widths = WidthList(static_cast<Long>(state.range(0)));
    for (auto _ : state) {
        host->put_ColumnWidths(widths);
        if (host.log().size() > kMaxLogLines) host.TakeLog();
    }
}
BENCHMARK(BM_PutColumnWidths)->Arg(10)->Arg(1000);

}  // namespace
}  // namespace lumora
