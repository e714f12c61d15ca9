// SPDX-License-Identifier: MIT
// The paint pass against Qt's QHeaderView and a plain memset of the strip's
// pixels, the mouse over the strip, and loading large forms. Both strips get
// the same columns: 60 pixels wide, captioned "Spalte N", 25 pixels high,
// column 2 under the pointer and column 3 sorted, in DejaVu Sans.
// The 100 columns are also drawn at a device scale of 2, and both draw one
// caption of 4,000 characters.
// scripts/bench.sh runs this group and turns its figures into a table.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFont>
#include <QHeaderView>
#include <QHoverEvent>
#include <QImage>
#include <QStandardItemModel>

#include <unistd.h>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "lumora/forms/JsonFormFile.h"
#include "lumora/headless/HeadlessHost.h"

// Every allocation of the benchmark's thread is counted, so a benchmark can
// say how many one iteration makes.
namespace {
thread_local std::uint64_t allocations = 0;
}  // namespace

void* operator new(std::size_t size) {
    ++allocations;
    if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace lumora {
namespace {

constexpr int kColumnWidth = 60;
constexpr int kStripHeight = 25;
// Each column takes two pixels beyond its width; the strip shows this much
// of the area right of the last column, as the lumora tool sizes it.
constexpr int kColumnGap = 2;
constexpr int kRightMargin = 40;
// The widest window either toolkit gets; 1000 columns are cut there.
constexpr int kMaxWidth = 32767;
constexpr int kHotColumn = 2;
constexpr int kSortedColumn = 3;
constexpr Single kPointerY = 12;
// The host writes down every pass; draining it now and then keeps a long
// run from measuring the growth of that record.
constexpr std::size_t kMaxLogLines = 4096;

int StripWidth(int columns) { return std::min(kMaxWidth, kRightMargin + columns * (kColumnWidth + kColumnGap)); }

// A point inside column `index` (1-based), `offset` pixels into it.
Single InsideColumn(int index, int offset) {
    return static_cast<Single>(kColumnGap + (index - 1) * (kColumnWidth + kColumnGap) + offset);
}

// The host's own sink writes every event down; the mouse benchmarks measure
// the control, so its events go nowhere instead.
class SilentEvents final : public ILumoraListControlEvents {
public:
    void RowPressed(Integer&, Long&, String&) override {}
    void MouseIn(Integer&, Integer&, Single&, Single&, Long&) override {}
    void MouseOut(Integer&, Integer&, Single&, Single&, Long&) override {}
    void MouseDown(Integer&, Integer&, Single&, Single&, Long&, String&) override {}
    void MouseUp(Integer&, Integer&, Single&, Single&, Long&) override {}
};

// A saved form of the given number of columns in a scratch file, removed
// when the benchmark ends. It is written as text: a control grows by one
// repaint per added column, which at these sizes would take far longer than
// the loading it is made for.
class SavedForm {
public:
    explicit SavedForm(int columns)
        : file_(std::filesystem::temp_directory_path() /
                ("lumora-bench-" + std::to_string(getpid()) + "-" + std::to_string(columns) + ".json")) {
        std::ofstream out(file_);
        out << "{\n"
               "  \"Alignment\": 0,\n  \"HeaderHeight\": 25,\n  \"BackColor\": 16644857,\n"
               "  \"BackColorForm\": 16777215,\n  \"ForeColor\": -2147483630,\n  \"ForeColorActive\": 0,\n"
               "  \"ForeColorHot\": 0,\n  \"FrameColor\": 6908265,\n  \"MaskColor\": 16711935,\n"
               "  \"SelectedRow\": 0,\n  \"SortedRow\": "
            << kSortedColumn
            << ",\n"
               "  \"Font\": {\"Name\": \"DejaVu Sans\", \"Size\": 8.0, \"Bold\": false, \"Italic\": false,"
               " \"Underline\": false, \"Strikethrough\": false, \"Weight\": 400, \"Charset\": 0},\n"
               "  \"NumberOfTabs\": "
            << columns
            << ",\n"
               "  \"RegisterFocusColor1\": 3723519,\n  \"RegisterFocusColor2\": 3721471,\n"
               "  \"MouseMoveColor0\": 2658536,\n  \"MouseMoveColor1\": 3723519,\n  \"MouseMoveColor2\": 3721471,\n"
               "  \"RegisterFocusColor0\": 2658536,\n  \"FontName\": \"DejaVu Sans\",\n  \"ShowFrame\": true,\n"
               "  \"ColumnWidths\": \"\"";
        for (int i = 1; i <= columns; ++i) {
            out << ",\n  \"RowWidth" << i << "\": " << kColumnWidth << ",\n  \"RowText" << i << "\": \"Spalte " << i
                << "\",\n  \"RowSorted" << i << "\": false";
        }
        out << "\n}\n";
    }
    ~SavedForm() {
        std::error_code ignored;
        std::filesystem::remove(file_, ignored);
    }
    SavedForm(const SavedForm&) = delete;
    SavedForm& operator=(const SavedForm&) = delete;

    const std::filesystem::path& file() const noexcept { return file_; }

private:
    std::filesystem::path file_;
};

// Our strip with the benchmark's columns, column 2 hot and column 3 sorted,
// loaded from a form: built up call by call, it would repaint once per
// column added and changed.
struct OurStrip {
    explicit OurStrip(int columns, double scale = 1.0) : host(StripWidth(columns), kStripHeight) {
        // A screen scaled other than 1 is set before the form's font arrives.
        if (scale != 1.0) host.SetDeviceScale(scale);
        const SavedForm form(columns);
        forms::JsonPropertyBag bag = forms::JsonPropertyBag::Load(form.file());
        bag.SetPictureFiles(&host.pictureFiles());
        host->ReadProperties(bag);
        // The host sizes the window as a form's host does; the control lays
        // its columns out in the pass that follows.
        host.SetClientSize(StripWidth(columns), kStripHeight);
        host.control().Advise(&events);
        host.MoveMouse(InsideColumn(kHotColumn, kColumnWidth / 2), kPointerY);
        host.TakeLog();
    }

    void DrainLog() {
        if (host.log().size() > kMaxLogLines) host.TakeLog();
    }

    headless::HeadlessHost host;
    SilentEvents events;
};

// Reports the allocations per iteration made since `before`.
void CountAllocations(benchmark::State& state, std::uint64_t before) {
    const auto made = static_cast<double>(allocations - before);
    state.counters["allocs"] = made / static_cast<double>(state.iterations());
}

void BM_OurPass(benchmark::State& state) {
    OurStrip strip(static_cast<int>(state.range(0)));
    const std::uint64_t before = allocations;
    for (auto _ : state) {
        strip.host->DrawTab();
        strip.DrainLog();
    }
    CountAllocations(state, before);
}
BENCHMARK(BM_OurPass)->Arg(5)->Arg(20)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The same pass on a screen at 200 %: four times the pixels, text at twice
// the size.
void BM_OurPassAtScale2(benchmark::State& state) {
    OurStrip strip(static_cast<int>(state.range(0)), 2.0);
    const std::uint64_t before = allocations;
    for (auto _ : state) {
        strip.host->DrawTab();
        strip.DrainLog();
    }
    CountAllocations(state, before);
}
BENCHMARK(BM_OurPassAtScale2)->Arg(100)->Unit(benchmark::kMicrosecond);

// QHeaderView with the same sections, captions, height and sort indicator,
// column 2 under the pointer, drawn into an image as a widget's render does.
void BM_QtHeaderPass(benchmark::State& state) {
    const int columns = static_cast<int>(state.range(0));
    const int width = StripWidth(columns);
    QStandardItemModel model(0, columns);
    for (int i = 0; i < columns; ++i)
        model.setHorizontalHeaderItem(i, new QStandardItem(QStringLiteral("Spalte %1").arg(i + 1)));
    QHeaderView header(Qt::Horizontal);
    header.setModel(&model);
    header.setFont(QFont(QStringLiteral("DejaVu Sans")));
    header.setMinimumSectionSize(1);
    for (int i = 0; i < columns; ++i) header.resizeSection(i, kColumnWidth);
    header.setSortIndicatorShown(true);
    header.setSortIndicator(kSortedColumn - 1, Qt::AscendingOrder);
    header.setAttribute(Qt::WA_Hover);
    header.resize(width, kStripHeight);
    const QPointF hot(InsideColumn(kHotColumn, kColumnWidth / 2), kPointerY);
    QHoverEvent hover(QEvent::HoverEnter, hot, hot, QPointF(-1, -1));
    QCoreApplication::sendEvent(header.viewport(), &hover);
    QImage image(width, kStripHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        header.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_QtHeaderPass)->Arg(5)->Arg(20)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The least any pass can cost: every pixel of the strip written once.
void BM_MemsetStrip(benchmark::State& state) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(StripWidth(static_cast<int>(state.range(0)))) *
                                      kStripHeight);
    int value = 0;
    for (auto _ : state) {
        std::memset(pixels.data(), ++value & 0xFF, pixels.size() * sizeof(std::uint32_t));
        benchmark::DoNotOptimize(pixels.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemsetStrip)->Arg(5)->Arg(20)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The pointer moves within the hot column: the control finds the same
// column and paints nothing.
void BM_MoveInsideColumn(benchmark::State& state) {
    OurStrip strip(static_cast<int>(state.range(0)));
    const Single xs[] = {InsideColumn(kHotColumn, 10), InsideColumn(kHotColumn, 11)};
    std::size_t turn = 0;
    const std::uint64_t before = allocations;
    for (auto _ : state) strip.host.MoveMouse(xs[++turn & 1], kPointerY);
    CountAllocations(state, before);
}
BENCHMARK(BM_MoveInsideColumn)->Arg(100)->Arg(1000)->Unit(benchmark::kNanosecond);

// The pointer crosses into the next column and back: every move makes
// another column hot and repaints the strip.
void BM_MoveToNextColumn(benchmark::State& state) {
    OurStrip strip(static_cast<int>(state.range(0)));
    const Single xs[] = {InsideColumn(kHotColumn, 10), InsideColumn(kHotColumn + 1, 10)};
    std::size_t turn = 0;
    for (auto _ : state) {
        strip.host.MoveMouse(xs[++turn & 1], kPointerY);
        strip.DrainLog();
    }
}
BENCHMARK(BM_MoveToNextColumn)->Arg(100)->Unit(benchmark::kMicrosecond);

// One column with a caption of 4,000 characters, word-wrapped in a column
// 400 pixels wide, in Noto Sans of the second argument's size: Latin (first
// argument 0) or pointed Hebrew (1), which is shaped and falls back to
// another face for its letters. Qt's header view draws the same captions
// beside ours, on one line as it draws section texts.
constexpr int kLongCaptionWidth = 400;
constexpr int kLongCaptionHeight = 60;

std::u16string LongCaption(bool hebrew) {
    const std::u16string word = hebrew ? u"\u05E9\u05B8\u05C1\u05DC\u05D5\u05B9\u05DD " : u"Spalte ";
    std::u16string caption;
    while (caption.size() < 4000) caption += word;
    return caption;
}

void BM_OurLongCaption(benchmark::State& state) {
    headless::HeadlessHost host(kLongCaptionWidth + kRightMargin, kLongCaptionHeight);
    Long width = kLongCaptionWidth;
    String caption = LongCaption(state.range(0) != 0);
    host->AddRow(width, caption);
    host->put_FontName(u"Noto Sans");
    host->put_FontSize(static_cast<Single>(state.range(1)));
    host->put_HeaderHeight(kLongCaptionHeight);
    host.TakeLog();
    for (auto _ : state) {
        host->DrawTab();
        if (host.log().size() > kMaxLogLines) host.TakeLog();
    }
}
BENCHMARK(BM_OurLongCaption)->Args({0, 8})->Args({1, 8})->Args({0, 36})->Args({1, 36})->Unit(benchmark::kMicrosecond);

void BM_QtLongCaption(benchmark::State& state) {
    const std::u16string caption = LongCaption(state.range(0) != 0);
    QStandardItemModel model(0, 1);
    model.setHorizontalHeaderItem(0, new QStandardItem(QString::fromStdU16String(caption)));
    QHeaderView header(Qt::Horizontal);
    header.setModel(&model);
    header.setFont(QFont(QStringLiteral("Noto Sans"), static_cast<int>(state.range(1))));
    header.setTextElideMode(Qt::ElideNone);
    header.resizeSection(0, kLongCaptionWidth);
    header.resize(kLongCaptionWidth + kRightMargin, kLongCaptionHeight);
    QImage image(kLongCaptionWidth + kRightMargin, kLongCaptionHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        header.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_QtLongCaption)->Args({0, 8})->Args({1, 8})->Args({0, 36})->Args({1, 36})->Unit(benchmark::kMicrosecond);

// What `lumora show` does before it prints: read the file and load the
// control from it.
void BM_LoadForm(benchmark::State& state) {
    const SavedForm form(static_cast<int>(state.range(0)));
    std::optional<headless::HeadlessHost> host;
    for (auto _ : state) {
        state.PauseTiming();
        host.reset();
        state.ResumeTiming();
        forms::JsonPropertyBag bag = forms::JsonPropertyBag::Load(form.file());
        host.emplace();
        bag.SetPictureFiles(&host->pictureFiles());
        host->control().ReadProperties(bag);
    }
}
BENCHMARK(BM_LoadForm)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lumora

int main(int argc, char** argv) {
    // No display: Qt draws into images on its offscreen platform.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
