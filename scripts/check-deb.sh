#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Usage: check-deb.sh
#
# Checks the Debian packages as a Debian user meets them: makes lumora-dev
# and lumora-qt-dev from build/ (scripts/package-deb.sh), shows their
# contents and lintian's report and fails on any lintian error, installs
# them with apt-get, builds examples/render-form against the system's
# install through find_package(Lumora) and through `pkg-config lumora`, and
# examples/qt-strip through find_package(Lumora COMPONENTS Qt), checks that
# they show the strip build/hosts/cli/lumora draws and that Qt finds the
# designer plugin where it looks for plugins, then removes the packages and
# checks that none of their files or folders is left. The packages are
# removed however the check ends. Needs root (or sudo).
# Everything happens in build/deb-check; the steps' output goes to its
# log.txt. Exits non-zero when any step fails.
set -euo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="$repo_root/build"
check_dir="$build_dir/deb-check"
log="$check_dir/log.txt"
cd "$repo_root"

check_name=check-deb
# fail, step and the comparisons of the examples' pictures with the tool's.
source "$repo_root/scripts/package-checks.sh"

packages=(lumora-dev lumora-qt-dev)
# How long apt waits for another package run (a colleague's build) to let
# go of dpkg's lock.
apt_lock_wait=(-o DPkg::Lock::Timeout=300)
# The system's own lumora.pc, not one a caller points at.
unset PKG_CONFIG_PATH

as_root() {
    if [[ "$(id -u)" -eq 0 ]]; then
        "$@"
    else
        sudo -n "$@"
    fi
}

# The paths the packages' contents take on the system, as absolute paths:
# files and links in files.txt, folders in folders.txt.
list_contents() {
    local deb
    for deb in "$@"; do
        dpkg-deb --fsys-tarfile "$deb" | tar -t
    done | sed -e 's|^\./|/|' -e '/^\/$/d' | sort -u >"$check_dir/contents.txt"
    grep -v '/$' "$check_dir/contents.txt" >"$check_dir/files.txt" || true
    grep '/$' "$check_dir/contents.txt" | sed 's|/$||' >"$check_dir/folders.txt" || true
}

# dpkg's word for the package's state; nothing for a package it never saw.
package_status() {
    dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null || true
}

# Takes the packages off the system again. Only ours: other packages that
# come and go meanwhile belong to whoever else shares the machine.
remove_packages() {
    local package
    local -a present=()
    for package in "${packages[@]}"; do
        [[ "$(package_status "$package")" =~ ^(not-installed)?$ ]] || present+=("$package")
    done
    [[ ${#present[@]} -gt 0 ]] || return 0
    echo "check-deb: removing ${present[*]}"
    as_root env DEBIAN_FRONTEND=noninteractive apt-get "${apt_lock_wait[@]}" purge -y "${present[@]}" \
        </dev/null >>"$log" 2>&1 || echo "check-deb: could not remove ${present[*]}" >&2
}

rm -rf "$check_dir"
mkdir -p "$check_dir"

for package in "${packages[@]}"; do
    status="$(package_status "$package")"
    [[ $status =~ ^(not-installed)?$ ]] ||
        fail "$package is on this system already ($status); remove it first, the check installs and removes it"
done

step bash scripts/package-deb.sh "$check_dir/dist"
# The packages carry the project's version.
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build_dir/CMakeCache.txt")"
arch="$(dpkg --print-architecture)"
debs=()
for package in "${packages[@]}"; do
    deb="$check_dir/dist/${package}_${version}_${arch}.deb"
    [[ -f $deb ]] || fail "package-deb.sh made no $deb"
    debs+=("$deb")
done

# What the packages hold and what lintian says of them, for the test log.
for deb in "${debs[@]}"; do
    echo "== dpkg -c $(basename "$deb")"
    dpkg -c "$deb"
done
echo "== lintian ${debs[*]##*/}"
lintian_status=0
timeout 600 lintian --fail-on error "${debs[@]}" || lintian_status=$?
[[ $lintian_status -eq 0 ]] || fail "lintian reports errors (or failed: exit $lintian_status)"

list_contents "${debs[@]}"
while read -r path; do
    [[ ! -e $path && ! -L $path ]] || fail "$path is on the system already; installing would replace it"
done <"$check_dir/files.txt"
while read -r path; do
    [[ -d $path ]] && echo "$path"
done <"$check_dir/folders.txt" >"$check_dir/folders-before.txt" || true

# Installing must add nothing but the packages: what they depend on is
# what the build needs, so scripts/packages.txt has put it there.
step as_root apt-get -s install --no-install-recommends "${debs[@]}" </dev/null
added="$(sed -n 's/^Inst \([^ ]*\) .*/\1/p' "$log" | sort | tr '\n' ' ')"
[[ $added == "${packages[*]} " ]] ||
    fail "installing the packages would add $added; their dependencies should all be in scripts/packages.txt"

trap remove_packages EXIT
# A time limit's signal ends the script through its exit trap.
trap 'exit 143' TERM
trap 'exit 130' INT

# install_packages DEB...
install_packages() {
    step as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get "${apt_lock_wait[@]}" install -y --no-install-recommends "$@" </dev/null
}

# no_private_library_paths PROGRAM...
# The packaged programs find their libraries as the system's do.
no_private_library_paths() {
    local binary
    for binary in "$@"; do
        ! readelf -d "$binary" | grep -qE 'RPATH|RUNPATH' || fail "$binary names a library path of its own"
        ! ldd "$binary" | grep -q 'not found' || fail "$binary needs a library its package's dependencies lack"
    done
}

# lumora-dev alone: a program without Qt. The examples are projects on a
# system with the package installed: no prefix, no paths.
install_packages "${debs[0]}"
no_private_library_paths /usr/bin/lumora
tool="$build_dir/hosts/cli/lumora"
mkdir -p "$check_dir/find-package" "$check_dir/pkg-config" "$check_dir/installed-tool"
step cmake -S examples/render-form -B "$check_dir/example"
step cmake --build "$check_dir/example"
same_strip_as_tool "$tool" "$check_dir/example/render-form" "$check_dir/find-package"
build_with_pkg_config "$check_dir/render-form-pkg-config"
same_strip_as_tool "$tool" "$check_dir/render-form-pkg-config" "$check_dir/pkg-config"
# The packaged tool draws as the built one does.
same_strip_as_tool /usr/bin/lumora "$check_dir/example/render-form" "$check_dir/installed-tool"
cmp -s "$check_dir/find-package/tool.png" "$check_dir/installed-tool/tool.png" ||
    fail "the installed lumora tool draws another strip than build/hosts/cli/lumora"
# Without the widget's package, the Qt component is not found, rather than
# found broken.
if cmake -S examples/qt-strip -B "$check_dir/qt-example-without" >>"$log" 2>&1; then
    fail "find_package(Lumora COMPONENTS Qt) succeeds without lumora-qt-dev"
fi

# Then the widget.
install_packages "${debs[1]}"
# Qt's form designer looks for plugins in the system's plugin folder.
plugin="$(qmake6 -query QT_INSTALL_PLUGINS)/designer/liblumora_header_strip.so"
[[ -f $plugin ]] || fail "the designer's plugin is not at $plugin"
plugin_info="$("$(qmake6 -query QT_HOST_BINS)/qtplugininfo" "$plugin" 2>&1 || true)"
echo "$plugin_info" >>"$log"
[[ $plugin_info == *'IID "org.qt-project.QDesignerCustomWidgetInterface"'* ]] ||
    fail "Qt does not read $plugin as a designer plugin"
no_private_library_paths /usr/bin/lumora-qt-demo "$plugin"
step cmake -S examples/qt-strip -B "$check_dir/qt-example"
step cmake --build "$check_dir/qt-example"
widget_shows_strip "$check_dir/qt-example/qt-strip" "$check_dir/find-package"
step env QT_QPA_PLATFORM=offscreen timeout 60 /usr/bin/lumora-qt-demo \
    --form "$check_dir/find-package/form.json" --screenshot "$check_dir/qt-demo.png"

step as_root env DEBIAN_FRONTEND=noninteractive \
    apt-get "${apt_lock_wait[@]}" purge -y "${packages[@]}" </dev/null
trap - EXIT
while read -r path; do
    [[ ! -e $path && ! -L $path ]] || fail "$path is still there after the packages' removal"
done <"$check_dir/files.txt"
while read -r path; do
    [[ ! -d $path ]] || grep -qxF "$path" "$check_dir/folders-before.txt" ||
        fail "the folder $path is still there after the packages' removal"
done <"$check_dir/folders.txt"
for package in "${packages[@]}"; do
    status="$(package_status "$package")"
    [[ $status =~ ^(not-installed)?$ ]] || fail "$package is $status after its removal"
done

echo "check-deb: ${debs[*]##*/}: lintian without errors; installed, examples/render-form built with" \
    "find_package(Lumora) and with pkg-config (lumora-dev alone) and examples/qt-strip showed the strip" \
    "lumora render draws; removed, none of their files or folders is left"
