#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Usage: repaint-benchmark.sh [benchmark arguments]
#
# Times a full repaint of the strip against the system's own header control
# under Wine (hosts/windemo/RepaintBenchmark.cpp) and prints both and their
# ratio. It is a script, not a test: timings depend on the machine and its
# load, so nothing checks them, and the system's header control needs a
# display, which the headless test run does not have. Builds the 64-bit
# Windows programs first when they are missing.
set -euo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo_root"

export WINEPREFIX="$repo_root/build-wine/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
build="$repo_root/build-wine/x86_64"

if [[ ! -d "$WINEPREFIX" ]]; then
    mkdir -p "$WINEPREFIX"
    /usr/lib/wine/wine64 wineboot -i
    wineserver -w
fi
[[ -d "$build" ]] || cmake --preset mingw-x86_64 >/dev/null
cmake --build "$build" -j"$(nproc)" --target lumora_repaint_benchmark

# A wineserver started without this display would refuse windows.
wineserver -k 2>/dev/null || true
xvfb-run -a -s "-screen 0 1280x1024x24" \
    /usr/lib/wine/wine64 "$build/hosts/windemo/lumora_repaint_benchmark.exe" "$@"
