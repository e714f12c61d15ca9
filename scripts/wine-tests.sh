#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Usage: wine-tests.sh
#
# Cross-builds the Windows tests with mingw-w64 (32-bit and 64-bit) into
# build-wine/ and runs them under Wine in a private prefix there, on a
# virtual display (Xvfb): the conformance suite draws every case through our
# surface and the system's GDI and compares the pixels, and the control
# library's tests host the control in a real container window and drive it
# with real pointer and keyboard input. The strip both backends painted is
# left as PNG in build-wine/<target>/images/. Then it makes the Windows
# packages (MSI installers, registration-free zip) into build-wine/dist and
# tests them in a new prefix of their own (tests/install/). Exits non-zero
# when anything fails.
#
# Both word sizes are built and run. The 32-bit tests need a kernel that
# runs 32-bit programs; where it has that switched off (some build machines
# do), they are skipped with a message saying so. One word size alone:
#   LUMORA_WINE_RUN_TARGETS=mingw-x86_64 bash scripts/wine-tests.sh
# Both word sizes built and nothing run, as scripts/package.sh needs them:
#   bash scripts/wine-tests.sh --build-only
set -euo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo_root"

# The 64-bit build comes first: its type library tool also writes the
# 32-bit build's library, so a machine without 32-bit programs builds both.
build_targets=(mingw-x86_64 mingw-i686)
read -r -a run_targets <<<"${LUMORA_WINE_RUN_TARGETS:-mingw-i686 mingw-x86_64}"
export WINEPREFIX="$repo_root/build-wine/wineprefix"
export WINEDEBUG=-all
# No .NET or HTML engine installers in the prefix.
export WINEDLLOVERRIDES="mscoree,mshtml="
# The build needs no display; the tests get Xvfb's. An inherited display is
# never used: a desktop's window manager would move the test windows.
[[ "${1:-}" == --run-on-display ]] || unset DISPLAY
# A true-colour screen, so that windows show the control's pixels exactly.
xvfb_screen="-screen 0 1280x1024x24"

# Debian builds FreeType, zlib and libpng for Linux only, so the software
# platform's Windows build compiles them from Debian's source packages, with
# Debian's patches, by the same cross compiler. Fetched once, through apt
# lists of our own, so the machine's apt setup is left as it is.
sources_dir="$repo_root/build-wine/sources"
debian_sources=(freetype zlib libpng1.6)
fetch_debian_sources() {
    local package missing=()
    for package in "${debian_sources[@]}"; do
        [[ -d "$sources_dir/$package" ]] || missing+=("$package")
    done
    [[ ${#missing[@]} -eq 0 ]] && return 0
    local work="$repo_root/build-wine/debian-source" codename
    codename="$(. /etc/os-release && echo "$VERSION_CODENAME")"
    rm -rf "$work"
    mkdir -p "$work/parts" "$work/lists/partial" "$work/cache/archives/partial" "$sources_dir"
    printf '%s\n' "Types: deb-src" "URIs: http://deb.debian.org/debian" "Suites: $codename" "Components: main" \
        "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" >"$work/parts/debian-source.sources"
    local -a apt_options=(-o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$work/parts"
        -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache" -qq)
    apt-get "${apt_options[@]}" update
    for package in "${missing[@]}"; do
        (cd "$work" && apt-get "${apt_options[@]}" source --only-source "$package" 2>&1 |
            grep -vE '^(W: Download is performed unsandboxed|dpkg-source: info)' || true)
        local unpacked=("$work/$package"-*/)
        if [[ ! -d "${unpacked[0]}" ]]; then
            echo "wine-tests: Debian's source of $package could not be fetched" >&2
            return 1
        fi
        mv "${unpacked[0]}" "$sources_dir/$package"
    done
    rm -rf "$work"
}

build_target() {
    cmake --preset "$1" >/dev/null
    cmake --build --preset "$1" -j"$(nproc)"
}

# A new prefix takes a while once; later runs reuse it.
prepare_prefix() {
    mkdir -p "$WINEPREFIX"
    # A wineserver left from another run may hold a different environment.
    wineserver -k 2>/dev/null || true
    /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
    # Without a window manager, Wine's managed top-level windows wait for
    # one on every DestroyWindow; unmanaged ones go at once.
    /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
}

# Runs under `||`, where set -e does not apply: every status is passed on.
run_target() {
    local dir="build-wine/${1#mingw-}" status=0
    # A hung program fails its test instead of holding the run.
    ctest --test-dir "$dir" --output-on-failure --timeout 900 || status=$?
    shopt -s nullglob
    local images=("$dir"/images/*.bmp)
    if [[ ${#images[@]} -gt 0 ]]; then python3 scripts/bmp-to-png.py "${images[@]}" || status=1; fi
    return "$status"
}

# Drops the 32-bit run, saying why, when Wine's 32-bit loader cannot start
# here (a kernel without 32-bit support is the usual reason); a 32-bit run
# that was asked for by name fails instead.
check_32bit_loader() {
    [[ " ${run_targets[*]} " == *" mingw-i686 "* ]] || return 0
    /usr/lib/wine/wine --version >/dev/null 2>&1 && return 0
    if [[ -n "${LUMORA_WINE_RUN_TARGETS:-}" ]]; then
        echo "wine-tests: Wine's 32-bit loader does not start on this machine" >&2
        return 1
    fi
    echo "wine-tests: mingw-i686 built but not run: Wine's 32-bit loader does not start on this machine" \
        "(does its kernel run 32-bit programs?)"
    run_targets=(mingw-x86_64)
}

# Both word sizes' tests, inside one Xvfb display, with a wineserver that
# starts on that display and stops before it closes. Then the installers
# and the registration-free package, made from both builds and tested in a
# new prefix of their own.
run_on_display() {
    local target status=0
    for target in "$@"; do
        echo "wine-tests: $target"
        run_target "$target" || status=1
    done
    wineserver -k 2>/dev/null || true
    echo "wine-tests: Windows packages"
    timeout 1200 bash tests/install/wine-install-test.sh || status=1
    return "$status"
}

main() {
    bash scripts/ensure-packages.sh
    check_32bit_loader
    fetch_debian_sources
    local target status=0
    # The control library's build runs a tool of its own under Wine.
    prepare_prefix
    for target in "${build_targets[@]}"; do build_target "$target"; done
    [[ "${1:-}" == --build-only ]] && return 0
    # The build's wineserver has no display: windowed tests need a new one.
    wineserver -k 2>/dev/null || true
    xvfb-run -a -s "$xvfb_screen" bash "${BASH_SOURCE[0]}" --run-on-display "${run_targets[@]}" || status=1
    return "$status"
}

if [[ "${1:-}" == --run-on-display ]]; then
    shift
    run_on_display "$@"
else
    main "$@"
fi
