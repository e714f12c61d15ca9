#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Usage: check-layout.sh
#
# Checks the two include rules the layout rests on and names every line that
# breaks one:
#   - code in src/ and include/ never includes a host: no path with hosts/ in
#     it, no header a host publishes (hosts/*/include/, "lumora/headless/...");
#   - a public header (include/lumora/, hosts/*/include/lumora/) includes only
#     standard headers and "lumora/..." ones, so a program using the
#     installed library needs nothing else. The Qt widget's headers may also
#     include Qt's own (<QWidget>): only Qt programs use them.
# Exits non-zero when a rule is broken.
set -euo pipefail

repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$repo_root"

include_line='^[[:space:]]*#[[:space:]]*include[[:space:]]*([<"])([^>"]*)[>"]'
host_include_dirs=(hosts/*/include)
broken=0

complain() {
    echo "$1: $2" >&2
    broken=1
}

# Prints "file:line:text" for every include in the given folders.
includes_in() {
    grep -rnE --include='*.h' --include='*.cpp' "$include_line" "$@" || true
}

while IFS=: read -r file line text; do
    [[ $text =~ $include_line ]]
    header="${BASH_REMATCH[2]}"
    if [[ $header == *hosts/* ]]; then
        complain "$file:$line" "includes \"$header\", but src/ and include/ never include a host"
        continue
    fi
    for dir in "${host_include_dirs[@]}"; do
        if [[ -e $dir/$header ]]; then
            complain "$file:$line" "includes \"$header\" from $dir, but src/ and include/ never include a host"
        fi
    done
done < <(includes_in src include)

# Standard headers are bare lower-case names: <vector>, <string_view>, <cstdint>.
while IFS=: read -r file line text; do
    [[ $text =~ $include_line ]]
    bracket="${BASH_REMATCH[1]}" header="${BASH_REMATCH[2]}"
    if [[ $file == hosts/qt/include/* && $bracket == '<' && $header =~ ^Q[A-Za-z]+$ ]]; then
        continue
    elif [[ $bracket == '<' && ! $header =~ ^[a-z_0-9]+$ ]]; then
        complain "$file:$line" "public header includes <$header>; public headers include only standard headers and \"lumora/...\" ones"
    elif [[ $bracket == '"' && $header != lumora/* ]]; then
        complain "$file:$line" "public header includes \"$header\"; public headers include only standard headers and \"lumora/...\" ones"
    fi
done < <(includes_in include/lumora hosts/*/include/lumora)

if ((broken)); then
    echo "check-layout: includes above break the layout's rules" >&2
    exit 1
fi
echo "check-layout: src/ and include/ include no host; public headers include only standard and lumora/ headers"
