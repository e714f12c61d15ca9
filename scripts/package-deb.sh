#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Usage: package-deb.sh [OUTDIR]
#
# Makes the Debian packages lumora-dev and lumora-qt-dev
# (cmake/LumoraDebianPackage.cmake) from the build in build/, configuring
# and building it first where needed, and puts them into OUTDIR (default:
# dist/). Prints the path of each package made. CPack's own output and its
# staging folder are in build/deb-packaging.
set -euo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out_dir="$(realpath -m "${1:-$repo_root/dist}")"
build_dir="$repo_root/build"
staging="$build_dir/deb-packaging"
cd "$repo_root"

# Each step's output goes to the log; a failing one shows the log's end.
check_name=package-deb
log="$staging.log"
source "$repo_root/scripts/package-checks.sh"

rm -rf "$staging" "$log"
mkdir -p "$build_dir"
[[ -f $build_dir/CMakeCache.txt ]] || step cmake -S . -B "$build_dir"
# The same build the test command makes, so a built tree is only checked.
step cmake --build "$build_dir" -j"$(nproc)"
step cpack --config "$build_dir/CPackConfig.cmake" -B "$staging"

shopt -s nullglob
packages=("$staging"/*.deb)
[[ ${#packages[@]} -gt 0 ]] || fail "cpack made no package (log: $log)"
mkdir -p "$out_dir"
for package in "${packages[@]}"; do
    mv -f "$package" "$out_dir/"
    echo "$out_dir/$(basename "$package")"
done
