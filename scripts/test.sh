#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Usage: test.sh
#
# Builds everything and runs every test; exits with ctest's status.
set -euo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo_root"

bash scripts/build.sh
exec ctest --test-dir build --output-on-failure
