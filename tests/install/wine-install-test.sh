#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Usage: wine-install-test.sh
#
# Tests the Windows deliveries under Wine, in a new prefix of their own
# (build-wine/install-prefix) where nothing of ours was ever registered.
# Needs both mingw builds and a display (wine-tests.sh runs it under its
# Xvfb display). It makes the packages with scripts/package-windows.sh into
# build-wine/dist, then:
#
#   1. checks the MSIs' tables with msiinfo: the program files folder of
#      their word size, the library's file, the registry rows, and no
#      custom action that runs the library's own registration;
#   2. checks that the prefix knows no class of ours, unzips the
#      registration-free package and runs its demo, which must show the
#      strip with nothing registered, and uses the control through the
#      library's manifest alone (lumora_regfree_check);
#   3. installs the 64-bit MSI, creates the control from a 64-bit script,
#      runs the demo on the installed control and compares its window with
#      the registration-free one, uninstalls, and checks that the registry
#      (both views) and the program files folders are as before;
#   4. does the same with the 32-bit MSI and script where Wine's 32-bit
#      loader starts (the 64-bit run carries every check otherwise).
set -euo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$repo_root"
here="$repo_root/tests/install"

wine64=/usr/lib/wine/wine64
wine32=/usr/lib/wine/wine
clsid="{$(sed -n 's/^#define LUMORA_CLSID_CONTROL //p' src/server/ServerIdentifiers.h)}"
progid=DorvaneLumoraStyleList.LumoraListControl
# A click on the strip's first column, so that both demo windows show the
# strip sorted and the list following it.
demo_events="move 40 12; down 40 12; up 40 12"

work="$repo_root/build-wine/install-test"
dist="$repo_root/build-wine/dist"
failures=0

fail() {
    echo "wine-install-test: FAIL: $*"
    failures=$((failures + 1))
}
pass() { echo "wine-install-test: ok: $*"; }

windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# Every Wine program of the test runs within a time limit.
run() { timeout 300 "$@"; }

# The registry as one sorted text, a line per key and per value with its
# key in front: HKLM\Software in both views and HKCU\Software, where
# classes, installers and their records live. (The rest of HKLM holds what
# Wine rewrites at every start, such as its display devices.)
snapshot_registry() {
    local out="$1" part root view
    rm -f "$out" "$out.all"
    for part in "HKLM\\Software /reg:64" "HKLM\\Software /reg:32" "HKCU\\Software /reg:64" \
        "HKCU\\Software /reg:32"; do
        read -r root view <<<"$part"
        run "$wine64" reg export "$root" "$(windows_path "$out.part")" "$view" /y >/dev/null
        iconv -f UTF-16LE -t UTF-8 "$out.part" | tr -d '\r' |
            awk -v view="$view" '/^\[/ { key = view " " $0; print key; next } /^$|^Windows Registry/ { next }
                { print key " " $0 }' >>"$out.all"
    done
    rm -f "$out.part"
    sort "$out.all" >"$out"
    rm -f "$out.all"
}

snapshot_files() {
    (cd "$WINEPREFIX/drive_c" && find "Program Files" "Program Files (x86)" | sort) >"$1"
}

# The lines only before ("<") and only after (">").
registry_difference() { diff "$1" "$2" | grep '^[<>]' | head -40 || true; }
# The first package a prefix installs leaves the installer's own empty
# record folders behind, as Windows does; a key without values there is no
# trace of ours.
installer_folders='^> [^ ]+ \[HKEY_LOCAL_MACHINE\\Software\\(Classes\\Installer(\\(Features|Products|UpgradeCodes))?|Microsoft\\Windows\\CurrentVersion\\Installer\\(UpgradeCodes|UserData(\\S-1-5-18(\\(Components|Products))?)?))\]$'

# Each table is read whole before it is searched: grep -q ending a pipe
# early would fail msiinfo, and the pipe with it.
check_msi_tables() {
    local msi="$1" folder="$2" table="$3" name directories files registry actions=""
    name="$(basename "$msi")"
    directories="$(msiinfo export "$msi" Directory)"
    files="$(msiinfo export "$msi" File)"
    registry="$(msiinfo export "$msi" Registry | tail -n +4)"
    if msiinfo tables "$msi" | grep -x CustomAction >/dev/null; then actions="$(msiinfo export "$msi" CustomAction)"; fi
    [[ "$directories" == *$'\t'"$folder"$'\t'* ]] &&
        pass "$name installs into $folder" || fail "$name: no $folder in its Directory table"
    [[ "$files" == *DorvaneLumoraStyleList.ocx* ]] &&
        pass "$name holds the library" || fail "$name: no library in its File table"
    # Every key and value the library's own registration writes, and
    # nothing else, by key and value name.
    local wanted written
    wanted="$(awk -F'\t' '$1 == "key" { print "Software\\Classes\\" $2 "\t*" }
        $1 == "value" { print "Software\\Classes\\" $2 "\t" $3 }' "$table" | sort)"
    written="$(awk -F'\t' '{ print $3 "\t" $4 }' <<<"$registry" | sort)"
    if [[ "$written" == "$wanted" ]]; then
        pass "$name writes the $(wc -l <<<"$written") registry rows the library's registration stands for"
    else
        fail "$name: registry rows differ from the library's table:"$'\n'"$(diff <(echo "$wanted") <(echo "$written"))"
    fi
    if [[ "${actions,,}" == *dllregisterserver* || "${actions,,}" == *regsvr32* ]]; then
        fail "$name registers the library through a custom action"
    else
        pass "$name has no custom action that runs the library's registration"
    fi
}

new_prefix() {
    export WINEPREFIX="$repo_root/build-wine/install-prefix"
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    run "$wine64" wineboot -i >/dev/null 2>&1
    run "$wine64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    wineserver -w
}

check_nothing_registered() {
    local view key
    for view in /reg:64 /reg:32; do
        for key in "HKCR\\CLSID\\$clsid" "HKCR\\$progid" "HKCU\\Software\\Classes\\$progid"; do
            if run "$wine64" reg query "$key" "$view" >/dev/null 2>&1; then
                fail "the new prefix already knows $key ($view)"
                return
            fi
        done
    done
    pass "the new prefix knows no class of ours (reg query, both views)"
}

# Runs the demo unattended and leaves its window in a BMP file.
run_demo() {
    local loader="$1" demo="$2" picture="$3"
    rm -f "$picture"
    run "$loader" "$demo" --screenshot "$(windows_path "$picture")" --events "$demo_events" && [[ -s "$picture" ]]
}

# Creates the control from the system's script host of the given word size
# and checks every line the script prints.
check_script() {
    local loader="$1" folder="$2" output expected
    output="$(run "$loader" "C:\\windows\\$folder\\cscript.exe" //NoLogo "$(windows_path "$here/InstalledControl.vbs")" |
        tr -d '\r')" || true
    expected="$(printf '%s\n' "NumberOfRows 2" "RowCaption &Name" "RowWidth 80" "Done")"
    if [[ "$output" == "$expected" ]]; then
        pass "$folder\\cscript created $progid and read back the column it added:" $output
    else
        fail "$folder\\cscript printed:"$'\n'"$output"$'\n'"expected:"$'\n'"$expected"
    fi
}

# Installs one MSI, uses the control through it, uninstalls it, and checks
# that registry and program files are as before.
check_install() {
    local loader="$1" msi="$2" folder="$3" system="$4" name
    name="$(basename "$msi")"
    snapshot_registry "$work/registry.before"
    snapshot_files "$work/files.before"
    if ! run "$loader" msiexec /i "$(windows_path "$msi")" /qn; then
        fail "msiexec /i $name"
        return
    fi
    wineserver -w
    [[ -f "$WINEPREFIX/drive_c/$folder/DorvaneLumoraStyleList/DorvaneLumoraStyleList.ocx" ]] &&
        pass "$name installed C:\\$folder\\DorvaneLumoraStyleList\\DorvaneLumoraStyleList.ocx" ||
        fail "$name installed no library into C:\\$folder"
    check_script "$loader" "$system"
    if [[ "$loader" == "$wine64" ]]; then
        if run_demo "$wine64" "$repo_root/build-wine/x86_64/hosts/windemo/lumora-demo.exe" "$work/installed.bmp" &&
            python3 "$here/compare-screenshots.py" "$work/installed.bmp" "$work/regfree.bmp"; then
            pass "the demo shows the same window on the installed control as without registration"
        else
            fail "the demo's window on the installed control differs from the registration-free one"
        fi
    fi
    if ! run "$loader" msiexec /x "$(windows_path "$msi")" /qn; then
        fail "msiexec /x $name"
        return
    fi
    wineserver -w
    snapshot_registry "$work/registry.after"
    snapshot_files "$work/files.after"
    local left
    left="$(registry_difference "$work/registry.before" "$work/registry.after" | grep -v -E "$installer_folders" || true)"
    if [[ -z "$left" ]]; then
        pass "uninstalling $name left HKLM\\Software (both views) and HKCU\\Software as before" \
            "($(wc -l <"$work/registry.before") lines compared)"
    else
        fail "uninstalling $name changed the registry:"$'\n'"$left"
    fi
    cmp -s "$work/files.before" "$work/files.after" &&
        pass "uninstalling $name left the program files folders as before" ||
        fail "uninstalling $name changed the program files folders:"$'\n'"$(diff "$work/files.before" "$work/files.after")"
}

check_regfree() {
    local loader="$1" arch="$2" target="$3" folder output expected
    folder="$work/regfree/DorvaneLumoraStyleList-$version-regfree/$arch"
    if run_demo "$loader" "$folder/lumora-demo.exe" "$work/regfree-$arch.bmp"; then
        pass "the $arch demo ran from the unzipped folder with nothing registered"
    else
        fail "the $arch demo did not run from the unzipped folder"
    fi
    # Each redirection the library's manifest gives, one by one.
    output="$(run "$loader" "$repo_root/build-wine/$target/tests/lumora_regfree_check.exe" \
        "$(windows_path "$folder")" | tr -d '\r')" || true
    expected="$(printf '%s\n' "ProgID ok" "VersionedProgID ok" "CoCreateInstance ok" "LoadRegTypeLib ok" \
        "_LumoraListControl ok")"
    if [[ "$output" == "$expected" ]]; then
        pass "through the $arch manifests alone both ProgIDs and the class create the control and the type library loads"
    else
        fail "through the $arch manifests:"$'\n'"$output"
    fi
}

main() {
    version="$(sed -n 's/^project(lumora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
    rm -rf "$work"
    mkdir -p "$work"
    bash scripts/package-windows.sh "$dist"
    local msi64="$dist/DorvaneLumoraStyleList-$version-x64.msi" msi32="$dist/DorvaneLumoraStyleList-$version-x86.msi"
    ls -l "$msi64" "$msi32" "$dist/DorvaneLumoraStyleList-$version-regfree.zip"
    check_msi_tables "$msi64" ProgramFiles64Folder "$repo_root/build-wine/package/x64/registry.txt"
    check_msi_tables "$msi32" ProgramFilesFolder "$repo_root/build-wine/package/x86/registry.txt"

    new_prefix
    check_nothing_registered
    unzip -q "$dist/DorvaneLumoraStyleList-$version-regfree.zip" -d "$work/regfree"
    check_regfree "$wine64" x64 x86_64
    cp "$work/regfree-x64.bmp" "$work/regfree.bmp" 2>/dev/null || true
    check_nothing_registered
    # The script host registers its own libraries when it first runs: once
    # now, so that they are no part of the comparison.
    run "$wine64" cscript //NoLogo "$(windows_path "$repo_root/tests/server/scripts/Empty.vbs")" >/dev/null 2>&1 || true
    run "$wine64" 'C:\windows\syswow64\cscript.exe' //NoLogo \
        "$(windows_path "$repo_root/tests/server/scripts/Empty.vbs")" >/dev/null 2>&1 || true
    check_install "$wine64" "$msi64" "Program Files" system32
    if "$wine32" --version >/dev/null 2>&1 && run "$wine32" cmd /c exit 0 >/dev/null 2>&1; then
        check_regfree "$wine32" x86 i686
        check_install "$wine32" "$msi32" "Program Files (x86)" syswow64
    else
        echo "wine-install-test: the 32-bit MSI and demo not run: Wine's 32-bit loader does not start on this" \
            "machine (does its kernel run 32-bit programs?); the 64-bit run carries every check"
    fi
    wineserver -k 2>/dev/null || true
    if [[ "$failures" -ne 0 ]]; then
        echo "wine-install-test: $failures check(s) failed"
        return 1
    fi
    echo "wine-install-test: every check passed"
}

main "$@"
