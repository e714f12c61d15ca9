#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Usage: bench.sh [benchmark arguments]
#
# Builds the benchmark program and times the strip's paint pass against Qt's
# QHeaderView and a memset of the strip's pixels (5, 20, 100 and 1000
# columns), the pass at a device scale of 2 (100 columns) against the one
# at scale 1, the mouse moving inside a column and across to the next, and
# loading forms of 1,000, 10,000 and 100,000 columns, and one long caption,
# Latin and shaped Hebrew, against QHeaderView's: 15 repetitions in one
# process, interleaved in random order, each figure their median. Prints a
# table and ends with one `summary:` line per figure. It is a script rather
# than a test because timings are never checked. Takes a few minutes.
set -euo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo_root"

[[ -f build/CMakeCache.txt ]] || cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target lumora_bench >/dev/null

results="build/bench/paint-results.json"
echo "bench: machine load before the run: $(cut -d' ' -f1-3 /proc/loadavg)"
build/bench/lumora_bench \
    --benchmark_filter='^BM_(OurPass|OurPassAtScale2|QtHeaderPass|MemsetStrip|MoveInsideColumn|MoveToNextColumn|LoadForm|OurLongCaption|QtLongCaption)/' \
    --benchmark_repetitions=15 --benchmark_enable_random_interleaving=true \
    --benchmark_min_time=0.05 --benchmark_report_aggregates_only=true \
    --benchmark_out="$results" --benchmark_out_format=json "$@" >/dev/null
echo "bench: machine load after the run: $(cut -d' ' -f1-3 /proc/loadavg)"

python3 - "$results" <<'EOF'
import json
import sys

# Median CPU time of each benchmark, in microseconds.
medians = {}
allocations = {}
for run in json.load(open(sys.argv[1]))["benchmarks"]:
    if run.get("aggregate_name") != "median":
        continue
    scale = {"ns": 1e-3, "us": 1.0, "ms": 1e3, "s": 1e6}[run["time_unit"]]
    medians[run["run_name"]] = run["cpu_time"] * scale
    if "allocs" in run:
        allocations[run["run_name"]] = run["allocs"]


def figure(value):
    return f"{value:.3g}" if value < 100 else f"{value:.0f}"


rows = []
print()
print("| columns | our full pass | QHeaderView into a QImage | memset of the strip's pixels | ours / Qt | ours / memset |")
print("|---|---|---|---|---|---|")
for columns in (5, 20, 100, 1000):
    ours = medians[f"BM_OurPass/{columns}"]
    qt = medians[f"BM_QtHeaderPass/{columns}"]
    memset = medians[f"BM_MemsetStrip/{columns}"]
    rows.append((columns, ours, qt, memset))
    print(f"| {columns} | {figure(ours)} µs | {figure(qt)} µs | {figure(memset)} µs "
          f"| {ours / qt:.2f}× | {ours / memset:.0f}× |")
inside = medians["BM_MoveInsideColumn/100"]
across = medians["BM_MoveToNextColumn/100"]
print()
print(f"mouse move inside a column, 100 columns: {inside * 1000:.0f} ns, "
      f"{allocations.get('BM_MoveInsideColumn/100', float('nan')):g} allocations")
print(f"full pass at scale 2, 100 columns: {figure(medians['BM_OurPassAtScale2/100'])} µs "
      f"({medians['BM_OurPassAtScale2/100'] / rows[2][1]:.2f}× the pass at scale 1)")
print(f"mouse move to the next column, 100 columns: {figure(across)} µs (one pass: {figure(rows[2][1])} µs)")
loads = [medians[f"BM_LoadForm/{n}"] / 1000 for n in (1000, 10000, 100000)]
print(f"loading a form of 1,000 / 10,000 / 100,000 columns: {' / '.join(figure(ms) for ms in loads)} ms")
print()
print("| one caption of 4,000 characters, wrapped in 400 pixels | ours | QHeaderView | ours / Qt |")
print("|---|---|---|---|")
captions = []
for script, kind in ((0, "Latin"), (1, "pointed Hebrew")):
    for size in (8, 36):
        ours = medians[f"BM_OurLongCaption/{script}/{size}"]
        qt = medians[f"BM_QtLongCaption/{script}/{size}"]
        captions.append((script, size, ours, qt))
        print(f"| {kind}, Noto Sans {size} pt | {figure(ours)} µs | {figure(qt)} µs | {ours / qt:.2f}× |")
print()
for columns, ours, qt, memset in rows:
    print(f"summary: pass{columns} ours_us={figure(ours)} qt_us={figure(qt)} memset_us={figure(memset)} "
          f"ratio_qt={ours / qt:.2f} ratio_memset={ours / memset:.0f}")
scaled = medians["BM_OurPassAtScale2/100"]
print(f"summary: pass100_scale2 ours_us={figure(scaled)} scale1_us={figure(rows[2][1])} "
      f"ratio_scale1={scaled / rows[2][1]:.2f}")
print(f"summary: move_in_column ns={inside * 1000:.0f}")
print(f"summary: move_in_column1000 ns={medians['BM_MoveInsideColumn/1000'] * 1000:.0f}")
print(f"summary: move_next_column us={figure(across)}")
print(f"summary: load ms_1000={figure(loads[0])} ms_10000={figure(loads[1])} ms_100000={figure(loads[2])}")
for script, size, ours, qt in captions:
    print(f"summary: long_caption script={script} size={size} ours_us={figure(ours)} qt_us={figure(qt)} "
          f"ratio_qt={ours / qt:.2f}")
EOF
