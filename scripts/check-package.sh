#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Usage: check-package.sh [BUILD_DIR]
#
# Installs a finished build (default: build/) into a scratch prefix,
# builds examples/render-form and examples/qt-strip against the installed
# package as projects outside this tree would, and runs them on a form the
# installed lumora tool writes. Both must show the strip the tool draws:
# render-form byte for byte, the Qt widget pixel for pixel.
# Everything happens in BUILD_DIR/install-check; the steps' output goes to
# its log.txt. Exits non-zero when any step fails.
set -euo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="$(realpath -m "${1:-$repo_root/build}")"
cd "$repo_root"

check_dir="$build_dir/install-check"
prefix="$check_dir/prefix"
log="$check_dir/log.txt"

fail() {
    echo "check-package: $1" >&2
    exit 1
}

[[ -f $build_dir/cmake_install.cmake ]] || fail "$build_dir is no configured build; run scripts/build.sh first"
rm -rf "$check_dir"
mkdir -p "$check_dir"

# Runs one step with its output in the log; on failure shows the log's end.
step() {
    if ! "$@" >>"$log" 2>&1; then
        tail -n 20 "$log" >&2
        fail "failed: $* (log: $log)"
    fi
}

step cmake --install "$build_dir" --prefix "$prefix"
step cmake -S examples/render-form -B "$check_dir/example" -DCMAKE_PREFIX_PATH="$prefix"
step cmake --build "$check_dir/example"
step "$prefix/bin/lumora" new "$check_dir/form.json"
step "$check_dir/example/render-form" "$check_dir/form.json" "$check_dir/strip.png"
# The example sizes the control 400 pixels wide.
step "$prefix/bin/lumora" render "$check_dir/form.json" -o "$check_dir/tool.png" --width 400

[[ -s $check_dir/strip.png ]] || fail "render-form wrote no picture"
signature="$(head -c 8 "$check_dir/strip.png" | od -An -tx1 | tr -d ' \n')"
[[ $signature == 89504e470d0a1a0a ]] || fail "render-form's picture is no PNG"
cmp -s "$check_dir/strip.png" "$check_dir/tool.png" || fail "render-form drew another strip than lumora render"

# The Qt widget from the same package, in a Qt program of its own, shows
# the strip the tool drew.
step cmake -S examples/qt-strip -B "$check_dir/qt-example" -DCMAKE_PREFIX_PATH="$prefix"
step cmake --build "$check_dir/qt-example"
step env QT_QPA_PLATFORM=offscreen "$check_dir/qt-example/qt-strip" "$check_dir/form.json" "$check_dir/tool.png"

echo "check-package: installed $build_dir into $prefix; examples/render-form, built against it," \
    "drew $check_dir/strip.png ($(stat -c %s "$check_dir/strip.png") bytes), the same strip as lumora render;" \
    "examples/qt-strip showed it in the Qt widget through Lumora::qt"
