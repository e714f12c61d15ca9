#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Usage: main.sh
#
# Builds everything, then creates a demo form with the lumora tool and shows
# what it holds.
set -euo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo_root"

bash scripts/build.sh

lumora="build/hosts/cli/lumora"
form="build/demo/form.json"

# Start from a fresh form each run, so the demo always shows a new control.
mkdir -p "$(dirname "$form")"
rm -f "$form"
"$lumora" new "$form"
"$lumora" show "$form"
echo "Form file: $repo_root/$form"
