#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Usage: ensure-packages.sh [PACKAGE...]
#
# Installs the Debian packages that are not installed yet. Without arguments
# it takes the project's list, scripts/packages.txt. Prints nothing when
# everything is already there, so it can open every build script.
set -euo pipefail

script_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

# The package names in a list file: comments and blank lines dropped.
read_package_list() {
    sed -e 's/#.*//' -e 's/[[:space:]]//g' -e '/^$/d' "$1"
}

is_installed() {
    local status
    status="$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" || return 1
    [[ "$status" == "install ok installed" ]]
}

# Runs a command as root, through sudo when the caller is not root.
as_root() {
    if [[ "$(id -u)" -eq 0 ]]; then
        "$@"
    elif command -v sudo >/dev/null; then
        sudo "$@"
    else
        echo "ensure-packages: root is needed to install packages" >&2
        exit 1
    fi
}

# A name like wine32:i386 can only be installed once dpkg knows the
# architecture, and apt only lists its packages after the next update.
enable_foreign_architectures() {
    local native package arch
    native="$(dpkg --print-architecture)"
    for package in "$@"; do
        [[ "$package" == *:* ]] || continue
        arch="${package##*:}"
        [[ "$arch" == "$native" || "$arch" == all || "$arch" == any ]] && continue
        if ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
            as_root dpkg --add-architecture "$arch"
        fi
    done
}

main() {
    local -a wanted missing=()
    if [[ $# -gt 0 ]]; then
        wanted=("$@")
    else
        mapfile -t wanted < <(read_package_list "$script_dir/packages.txt")
    fi

    local package
    for package in "${wanted[@]}"; do
        is_installed "$package" || missing+=("$package")
    done
    [[ ${#missing[@]} -eq 0 ]] && return 0

    echo "ensure-packages: installing ${missing[*]}"
    enable_foreign_architectures "${missing[@]}"
    # Another package run (an unattended upgrade, a second build) may hold
    # the lock for a while; wait for it rather than fail.
    local -a wait_for_lock=(-o DPkg::Lock::Timeout=600)
    as_root apt-get "${wait_for_lock[@]}" update </dev/null
    as_root env DEBIAN_FRONTEND=noninteractive \
        apt-get "${wait_for_lock[@]}" install -y --no-install-recommends "${missing[@]}" </dev/null
}

main "$@"
