#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Usage: test.sh
#
# Checks the layout's include rules, builds everything, checks the installed
# package and runs every test: the native ones, and the Windows builds under
# Wine. Exits non-zero when any fails.
set -euo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo_root"

# The include rules the layout rests on; they need no build.
bash scripts/check-layout.sh
bash scripts/build.sh
# The installed package, as a project outside this tree uses it.
bash scripts/check-package.sh build
# The Windows builds under Wine: our surface and the system's GDI must put
# down the same pixels. They run first so the native summary closes the run.
bash scripts/wine-tests.sh
exec ctest --test-dir build --output-on-failure
