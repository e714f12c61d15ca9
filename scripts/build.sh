#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Usage: build.sh
#
# Installs missing packages, then configures and builds everything into
# build/ at the repository root. The demo and the test run both start here,
# so they always see the same build.
set -euo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo_root"

bash scripts/ensure-packages.sh
cmake -S . -B build
cmake --build build -j"$(nproc)"
