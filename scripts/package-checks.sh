# shellcheck shell=bash
# SPDX-License-Identifier: MIT
#
# Sourced by the scripts that check an installed package as a project
# outside this tree uses it (check-package.sh: a prefix install;
# check-deb.sh: the Debian packages), and by package-deb.sh for its steps.
# The sourcing script sets check_name,
# which starts every message, log, where each step's output goes, and
# repo_root.
# shellcheck disable=SC2154 # those three

fail() {
    echo "$check_name: $1" >&2
    exit 1
}

# Runs one step with its output in the log; on failure shows the log's end.
step() {
    if ! "$@" >>"$log" 2>&1; then
        tail -n 20 "$log" >&2
        fail "failed: $* (log: $log)"
    fi
}

# same_strip_as_tool TOOL PROGRAM DIR
# Has TOOL write a new form into DIR, PROGRAM (built from
# examples/render-form) draw it into DIR/strip.png and TOOL render it into
# DIR/tool.png; fails unless PROGRAM wrote a PNG with the very bytes of the
# tool's.
same_strip_as_tool() {
    local tool=$1 program=$2 dir=$3
    rm -f "$dir/strip.png" "$dir/tool.png"
    step "$tool" new "$dir/form.json"
    step timeout 60 "$program" "$dir/form.json" "$dir/strip.png"
    # The example sizes the control 400 pixels wide.
    step timeout 60 "$tool" render "$dir/form.json" -o "$dir/tool.png" --width 400

    [[ -s $dir/strip.png ]] || fail "$program wrote no picture"
    local signature
    signature="$(head -c 8 "$dir/strip.png" | od -An -tx1 | tr -d ' \n')"
    [[ $signature == 89504e470d0a1a0a ]] || fail "$program's picture is no PNG"
    cmp -s "$dir/strip.png" "$dir/tool.png" || fail "$program drew another strip than $tool render"
}

# widget_shows_strip PROGRAM DIR
# Runs PROGRAM (built from examples/qt-strip) on the offscreen platform: it
# shows DIR/form.json in the Qt widget and fails unless the widget's pixels
# are those of DIR/tool.png.
widget_shows_strip() {
    step env QT_QPA_PLATFORM=offscreen timeout 60 "$1" "$2/form.json" "$2/tool.png"
}

# build_with_pkg_config OUTPUT
# Compiles examples/render-form into OUTPUT with nothing but the compiler
# line `pkg-config --cflags --libs lumora` gives, as a project without CMake
# would; PKG_CONFIG_PATH says which lumora.pc when it is not the system's.
build_with_pkg_config() {
    local flags
    flags="$(pkg-config --cflags --libs lumora)" || fail "pkg-config knows no lumora"
    echo "pkg-config --cflags --libs lumora: $flags" >>"$log"
    # shellcheck disable=SC2086 # the flags are words for the compiler
    step g++ -std=c++20 -O1 -o "$1" "$repo_root/examples/render-form/main.cpp" $flags
}
