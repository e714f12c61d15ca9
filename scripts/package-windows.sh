#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Usage: package-windows.sh [OUTPUT_FOLDER]
#
# Makes the Windows deliveries from the cross builds in build-wine/ (run
# `cmake --build --preset mingw-x86_64` and `--preset mingw-i686` first):
#
#   DorvaneLumoraStyleList-VERSION-x64.msi     installs the 64-bit library
#   DorvaneLumoraStyleList-VERSION-x86.msi     installs the 32-bit library
#   DorvaneLumoraStyleList-VERSION-regfree.zip both libraries with their
#       side-by-side manifests and the demo container, for use without any
#       registration
#
# into OUTPUT_FOLDER (dist/ by default) and prints each file's name. The
# registry entries of the installers and the manifests' classes come from
# the built library itself (lumora_registry_table, run under Wine), the
# version from the project's version in CMakeLists.txt. Another script may
# source this one and call package_windows OUTPUT_FOLDER.
set -euo pipefail

package_windows_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# The project's one version number.
package_windows_version() {
    sed -n 's/^project(lumora VERSION \([0-9.]*\).*/\1/p' "$package_windows_root/CMakeLists.txt"
}

# A Linux path as Wine's programs name it (Wine maps / to drive Z:).
package_windows_path() {
    local path="$1"
    printf 'Z:%s' "${path//\//\\}"
}

# Prints the registry table of one built library into a file.
package_windows_table() {
    local library="$1" out="$2"
    local tool="$package_windows_root/build-wine/x86_64/src/server/lumora_registry_table.exe"
    if [[ ! -f "$tool" ]]; then
        echo "package-windows: $tool is missing: build the mingw-x86_64 preset first" >&2
        return 1
    fi
    WINEPREFIX="${WINEPREFIX:-$package_windows_root/build-wine/wineprefix}" WINEDEBUG=-all \
        WINEDLLOVERRIDES="mscoree,mshtml=" /usr/lib/wine/wine64 "$tool" "$(package_windows_path "$library")" \
        | tr -d '\r' >"$out"
}

package_windows() {
    local out="${1:-dist}" version work arch target
    version="$(package_windows_version)"
    mkdir -p "$out"
    out="$(cd "$out" && pwd)"
    work="$package_windows_root/build-wine/package"
    rm -rf "$work"
    local installer="$package_windows_root/src/server/installer"
    local regfree="$work/DorvaneLumoraStyleList-$version-regfree"
    for arch in x64 x86; do
        [[ "$arch" == x64 ]] && target=x86_64 || target=i686
        local build="$package_windows_root/build-wine/$target"
        local library="$build/src/server/DorvaneLumoraStyleList.ocx" demo="$build/hosts/windemo/lumora-demo.exe"
        local file
        for file in "$library" "$demo"; do
            if [[ ! -f "$file" ]]; then
                echo "package-windows: $file is missing: build the mingw-$target preset first" >&2
                return 1
            fi
        done
        mkdir -p "$work/$arch" "$regfree/$arch"
        package_windows_table "$library" "$work/$arch/registry.txt"
        python3 "$installer/installer-files.py" wxi "$work/$arch/registry.txt" "$work/$arch/Registry.wxi"
        # wixl finds the library relative to the source's folder only.
        cp "$installer/DorvaneLumoraStyleList.wxs" "$library" "$work/$arch/"
        local msi="$out/DorvaneLumoraStyleList-$version-$arch.msi"
        wixl -a "$arch" -D "Arch=$arch" -D "Version=$version" -D "LibraryFile=DorvaneLumoraStyleList.ocx" \
            -I "$work/$arch" -o "$msi" "$work/$arch/DorvaneLumoraStyleList.wxs"
        echo "$msi"

        cp "$library" "$demo" "$regfree/$arch/"
        python3 "$installer/installer-files.py" manifest "$work/$arch/registry.txt" "$version" "$arch" \
            "$regfree/$arch/DorvaneLumoraStyleList.manifest"
        python3 "$installer/installer-files.py" application lumora-demo "$version" "$arch" \
            "$regfree/$arch/lumora-demo.exe.manifest"
    done
    local zip="$out/DorvaneLumoraStyleList-$version-regfree.zip"
    rm -f "$zip"
    (cd "$work" && zip -q -X -r "$zip" "$(basename "$regfree")")
    echo "$zip"
}

if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
    package_windows "$@"
fi
