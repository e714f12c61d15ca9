#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Usage: qt-repeat.sh [RUNS]
#
# Runs the Qt suite under Xvfb RUNS times (default 20) without a D-Bus
# session bus and RUNS times with one, each run under the test command's
# time limits, and prints how many passed. A test that passes only on a
# quiet machine shows up here: run it beside a build. Needs a build in
# build/ (scripts/build.sh).
set -uo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo_root" || exit 1
runs="${1:-20}"
log_dir="build/qt-repeat"
rm -rf "$log_dir"
mkdir -p "$log_dir"

# One run of the suite on a new X server; its log is kept when it fails.
run_once() {
  local log="$log_dir/$1.log"
  if timeout --kill-after=30 1200 xvfb-run -a -s "-screen 0 1280x1024x24" "${@:2}" \
    env QT_QPA_PLATFORM=xcb ctest --test-dir build --tests-regex '^qt\.' --output-on-failure >"$log" 2>&1; then
    rm -f "$log"
    return 0
  fi
  echo "qt-repeat: $1 failed, see $log"
  return 1
}

for bus in without with; do
  passed=0
  for ((run = 1; run <= runs; run++)); do
    if [[ $bus == with ]]; then
      run_once "bus-$run" dbus-run-session -- && passed=$((passed + 1))
    else
      run_once "nobus-$run" env -u DBUS_SESSION_BUS_ADDRESS && passed=$((passed + 1))
    fi
  done
  echo "qt-repeat: $bus a session bus: $passed of $runs runs passed"
  results+=("$passed")
done
[[ "${results[0]}" == "$runs" && "${results[1]}" == "$runs" ]]
