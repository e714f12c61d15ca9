#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Usage: check-package.sh [BUILD_DIR]
#
# Installs a finished build (default: build/) into a scratch prefix,
# builds examples/render-form (through find_package and through lumora.pc)
# and examples/qt-strip against the installed package as projects outside
# this tree would, and runs them on a form the installed lumora tool writes.
# All must show the strip the tool draws: render-form byte for byte, the Qt
# widget pixel for pixel.
# Everything happens in BUILD_DIR/install-check; the steps' output goes to
# its log.txt. Exits non-zero when any step fails.
set -euo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="$(realpath -m "${1:-$repo_root/build}")"
cd "$repo_root"

check_dir="$build_dir/install-check"
prefix="$check_dir/prefix"
log="$check_dir/log.txt"

check_name=check-package
# fail, step and the comparisons of the examples' pictures with the tool's.
source "$repo_root/scripts/package-checks.sh"

[[ -f $build_dir/cmake_install.cmake ]] || fail "$build_dir is no configured build; run scripts/build.sh first"
rm -rf "$check_dir"
mkdir -p "$check_dir"

step cmake --install "$build_dir" --prefix "$prefix"
step cmake -S examples/render-form -B "$check_dir/example" -DCMAKE_PREFIX_PATH="$prefix"
step cmake --build "$check_dir/example"
same_strip_as_tool "$prefix/bin/lumora" "$check_dir/example/render-form" "$check_dir"
# The same program built through the prefix's lumora.pc.
pc_file="$(find "$prefix" -name lumora.pc -print -quit)"
[[ -n $pc_file ]] || fail "the install holds no lumora.pc"
PKG_CONFIG_PATH="$(dirname "$pc_file")" build_with_pkg_config "$check_dir/render-form-pkg-config"
same_strip_as_tool "$prefix/bin/lumora" "$check_dir/render-form-pkg-config" "$check_dir"

# The Qt widget from the same package, in a Qt program of its own, shows
# the strip the tool drew.
step cmake -S examples/qt-strip -B "$check_dir/qt-example" -DCMAKE_PREFIX_PATH="$prefix"
step cmake --build "$check_dir/qt-example"
widget_shows_strip "$check_dir/qt-example/qt-strip" "$check_dir"

echo "check-package: installed $build_dir into $prefix; examples/render-form, built against it," \
    "drew $check_dir/strip.png ($(stat -c %s "$check_dir/strip.png") bytes), the same strip as lumora render," \
    "and so did its build through pkg-config;" \
    "examples/qt-strip showed it in the Qt widget through Lumora::qt"
