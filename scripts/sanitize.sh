#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Usage: sanitize.sh
#
# The checks only sanitizers make, in one Clang build (build-sanitize/) with
# AddressSanitizer and UndefinedBehaviorSanitizer, which is also the tree's
# Clang build:
#   1. every fuzzer in fuzz/ runs for LUMORA_FUZZ_SECONDS (30) seconds from
#      its seeds, each input within one second and 256 MB; what a fuzzer
#      finds is kept in build-sanitize/fuzz-artifacts/;
#   2. the native test programs run under ctest.
# One build serves both: a second one, for the tests alone, would double
# the longest part of the run. The Qt tests are left out: building the Qt
# host and its designer plugin once more would add as much again, and the
# Qt code is ours only where it calls the control, which the other tests
# cover.
# Every step runs even when an earlier one failed, so one finding does not
# hide another; exits non-zero when any failed.
set -euo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo_root"

build=build-sanitize
jobs="$(nproc)"
seconds="${LUMORA_FUZZ_SECONDS:-30}"
start=$SECONDS
failures=()
# What the system's libraries leak is not reported (see the file).
lsan_options="suppressions=$repo_root/scripts/lsan-suppressions.txt:print_suppressions=0"

# Each fuzzer with its seed folder and the largest input it is given.
fuzzers=(
  "lumora_picture_decode_fuzz fuzz/seeds 65536"
  "lumora_form_stream_fuzz fuzz/form-stream-seeds 4096"
  "lumora_form_json_fuzz fuzz/form-json-seeds 16384"
  "lumora_form_keys_fuzz fuzz/form-keys-seeds 4096"
)

# The fuzzers' option instruments every target with the sanitizers (see
# the top-level CMakeLists.txt). Lean: no benchmarks, line tables only, and
# an optimiser that keeps the reports readable.
CC=clang-14 CXX=clang++-14 cmake -S . -B "$build" -DLUMORA_BUILD_FUZZERS=ON -DLUMORA_BUILD_BENCHMARKS=OFF \
  -DCMAKE_BUILD_TYPE=Sanitize -DCMAKE_CXX_FLAGS="-O1 -g1 -fno-omit-frame-pointer" >/dev/null
targets=()
for entry in "${fuzzers[@]}"; do
  read -r name _ _ <<<"$entry"
  targets+=("$name")
done
mapfile -t test_programs < <(cmake --build "$build" --target help |
  sed -n 's/^\.\.\. \(lumora_[a-z_]*_tests\)$/\1/p' | grep -v '^lumora_qt_tests$')
cmake --build "$build" -j"$jobs" --target "${targets[@]}" "${test_programs[@]}"
echo "sanitize: built in $((SECONDS - start)) s"

mkdir -p "$build/fuzz-artifacts"
for entry in "${fuzzers[@]}"; do
  read -r name seeds max_len <<<"$entry"
  # A fresh scratch corpus each time: the run starts from the seeds alone,
  # which stay as they are (libFuzzer adds to the first folder only).
  corpus="$build/fuzz-corpus/$name"
  rm -rf "$corpus"
  mkdir -p "$corpus"
  echo "sanitize: $name for ${seconds}s"
  # Freed memory goes back to the system soon and waits in a smaller
  # quarantine, so the process's size follows what the inputs hold rather
  # than what the sanitizer keeps.
  if ASAN_OPTIONS=allocator_release_to_os_interval_ms=100:quarantine_size_mb=32 LSAN_OPTIONS="$lsan_options" \
    "$build/fuzz/$name" -max_total_time="$seconds" -max_len="$max_len" -timeout=1 -rss_limit_mb=256 \
    -artifact_prefix="$build/fuzz-artifacts/" -print_final_stats=1 "$corpus" "$seeds" 2>"$build/$name.log"; then
    grep -E "^stat::number_of_executed_units|^stat::peak_rss_mb" "$build/$name.log" | sed "s/^/  /"
  else
    grep -E "^SUMMARY|^==[0-9]+==|Test unit written" "$build/$name.log" | head -n 8
    failures+=("$name ($build/$name.log)")
  fi
done

tests_start=$SECONDS
UBSAN_OPTIONS=print_stacktrace=1 ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="$lsan_options" \
  ctest --test-dir "$build" --output-on-failure -j"$jobs" -E '^qt\.|lumora_qt_tests' ||
  failures+=("the native tests under ASan and UBSan")
echo "sanitize: tests in $((SECONDS - tests_start)) s"

echo "sanitize: $((SECONDS - start)) s"
if ((${#failures[@]})); then
  printf 'sanitize: failed: %s\n' "${failures[@]}"
  exit 1
fi
