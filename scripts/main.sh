#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Usage: main.sh
#
# Builds everything, then creates a demo form with the lumora tool and shows
# what it holds, and draws a gallery of the strip's looks into build/gallery.
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

# The gallery: a form with three columns drawn idle, under the pointer,
# pressed and sorted both ways; the same without its frame; and one whose
# narrow column wraps its caption onto two lines; and one with pictures.
gallery="build/gallery"
rm -rf "$gallery"
mkdir -p "$gallery"

bash scripts/gallery-forms.sh "$gallery"

# Column 1 spans x 2 to 101, column 2 x 104 to 183. A click moves onto the
# column, presses and releases; the pointer then leaves the strip, so the
# sorted pictures show no hot look.
click_first="move 50 12; down 50 12; up 50 12"
leave="move 500 12"
shots=()
render() {
  "$lumora" render "$gallery/$1" -o "$gallery/$2" --events "${3:-}" >/dev/null
  shots+=("$2")
}
render columns.json idle.png
render columns.json hot.png "move 140 12"
render columns.json pressed.png "move 140 12; down 140 12"
render columns.json sorted-up.png "$click_first; $leave"
render columns.json sorted-down.png "$click_first; $click_first; $leave"
render no-frame.json frame-off.png
render two-lines.json two-line-caption.png
render pictures.json pictures.png
render pictures.json pictures-pressed.png "move 140 12; down 140 12"

# Captions in every script: one form of a single column per language, and
# one strip holding them all.
for form in "$gallery"/script-*.json; do
  name="$(basename "$form" .json)"
  render "$name.json" "$name.png"
done
render scripts.json scripts.png "move 140 12"

echo "Gallery: $repo_root/$gallery"
printf '  %s\n' "${shots[@]}"

# The Qt demo: the strip above a list it sorts. A screenshot of it with the
# gallery's form, sorted by its second column, on Qt's offscreen platform.
demo="build/hosts/qt/lumora-qt-demo"
QT_QPA_PLATFORM=offscreen "$demo" --form "$gallery/columns.json" --screenshot "$gallery/qt-demo.png" \
  --events "move 140 12; down 140 12; up 140 12; move 140 60" >/dev/null
echo "Qt demo: $repo_root/$gallery/qt-demo.png; start it on a display with $repo_root/$demo"
