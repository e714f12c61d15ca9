#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Usage: package.sh
#
# Builds what users install into dist/: the Debian package for Linux
# developers, and for Windows the two installers and the registration-free
# zip. It reuses what the test command built in build/ and build-wine/ and
# builds whatever is missing. Ends with one line, "package:", naming each
# file made and its size.
set -euo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo_root"

dist="dist"
rm -rf "$dist"
mkdir -p "$dist"

bash scripts/build.sh
bash scripts/wine-tests.sh --build-only
bash scripts/package-deb.sh "$dist"
bash scripts/package-windows.sh "$dist"

summary="package:"
for file in "$dist"/*; do
  summary+=" $(basename "$file") ($(stat -c %s "$file") bytes)"
done
echo "$summary"
