#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Usage: test.sh
#
# Checks the layout's include rules, builds everything, checks the installed
# package and the Debian packages and runs every test: the fuzzers and the
# native tests under the sanitizers, the Windows builds under Wine, and the
# native ones. Exits non-zero when any fails.
set -euo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo_root"

# The include rules the layout rests on; they need no build.
bash scripts/check-layout.sh
bash scripts/build.sh
# The installed package, as a project outside this tree uses it.
bash scripts/check-package.sh build
# The Debian packages, installed, used and removed again; the packages and
# lintian's report are in the log.
timeout --kill-after=320 1200 bash scripts/check-deb.sh
# Every fuzzer for half a minute, and the native tests, under AddressSanitizer
# and UndefinedBehaviorSanitizer, in a Clang build (build-sanitize/).
bash scripts/sanitize.sh
# The Windows builds under Wine: our surface and the system's GDI must put
# down the same pixels. They run first so the native summary closes the run.
bash scripts/wine-tests.sh
# The Qt tests once more on an X server (Xvfb), where grabs, the widget under
# the pointer and leave events come from a real window system. The dialogs'
# and the demo's screenshots of this run are in build/qt-images/xcb. Each
# case runs as a test of its own under its time limit, so a hang fails with
# its name; the whole run has a limit too.
timeout --kill-after=30 1200 xvfb-run -a -s "-screen 0 1280x1024x24" \
  env QT_QPA_PLATFORM=xcb ctest --test-dir build --tests-regex '^qt\.' --output-on-failure
# Every Debian package the builds used is on the package list, or comes with
# one that is: a fresh machine installs the list without recommendations.
python3 scripts/check-packages.py build build-sanitize build-wine/x86_64 build-wine/i686
echo "Qt screenshots: $repo_root/build/qt-images/xcb (Xvfb), $repo_root/build/qt-images/offscreen"
exec ctest --test-dir build --output-on-failure
