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

fail() {
    echo "package-deb: $1" >&2
    exit 1
}

# Runs a step quietly; on failure shows the end of its output.
quietly() {
    if ! "$@" >>"$staging.log" 2>&1; then
        tail -n 30 "$staging.log" >&2
        fail "failed: $* (log: $staging.log)"
    fi
}

rm -rf "$staging" "$staging.log"
[[ -f $build_dir/CMakeCache.txt ]] || quietly cmake -S . -B "$build_dir"
# The same build the test command makes, so a built tree is only checked.
quietly cmake --build "$build_dir" -j"$(nproc)"
quietly cpack --config "$build_dir/CPackConfig.cmake" -B "$staging"

shopt -s nullglob
packages=("$staging"/*.deb)
[[ ${#packages[@]} -gt 0 ]] || fail "cpack made no package (log: $staging.log)"
mkdir -p "$out_dir"
for package in "${packages[@]}"; do
    mv -f "$package" "$out_dir/"
    echo "$out_dir/$(basename "$package")"
done
