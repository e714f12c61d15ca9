#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Usage: demo_forms_test.py LOADER DEMO.exe LUMORA.exe CONTROL.ocx GALLERY_SCRIPT WORK_DIR [--idle-only]

The demo container opens every gallery form as the JSON file the lumora
tool writes, saves it as its stream, and shows the strip the tool draws for
it: with the captions
emptied (the system's and our rasteriser set glyphs differently), the
strip in the demo's window equals `lumora render` pixel for pixel, idle,
under the pointer and pressed. Also checks that the demo names a file that
is no form instead of failing with a bare error code. With --idle-only,
only the idle strip is compared (the states under the pointer are drawn by
the same code in either word size).

Registers the control for the run and unregisters it afterwards."""

import json
import os
import struct
import subprocess
import sys
import zlib
from pathlib import Path

# The demo's strip is as wide as its window's client area.
STRIP_WIDTH = 460
STATES = {
    "idle": "",
    "hot": "move 140 12",
    "pressed": "move 140 12; down 140 12",
}
# Each program gets this long; a hung one fails the test.
TIMEOUT = 60


def read_bmp(path):
    data = Path(path).read_bytes()
    if data[:2] != b"BM":
        raise SystemExit(f"{path}: not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    step = bits // 8
    stride = (width * step + 3) & ~3
    rows = []
    for row in range(abs(height)):
        source = abs(height) - 1 - row if height > 0 else row
        line = data[offset + source * stride:offset + source * stride + width * step]
        rows.append([bytes((line[i + 2], line[i + 1], line[i])) for i in range(0, len(line), step)])
    return rows


def read_png(path):
    """The RGB pixels of an 8-bit RGB or RGBA PNG, as the tool writes them."""
    data = Path(path).read_bytes()
    position, idat = 8, b""
    while position < len(data):
        length, kind = struct.unpack_from(">I4s", data, position)
        body = data[position + 8:position + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack_from(">IIBB", body)
        elif kind == b"IDAT":
            idat += body
        position += 12 + length
    if depth != 8 or colour not in (2, 6):
        raise SystemExit(f"{path}: PNG of depth {depth}, colour type {colour}")
    step = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * step
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - step] if i >= step else 0
            up = previous[i]
            corner = previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                guess = left + up - corner
                pa, pb, pc = abs(guess - left), abs(guess - up), abs(guess - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 0xFF
        rows.append([bytes(line[i:i + 3]) for i in range(0, stride, step)])
        previous = line
    return rows


def find_strip(window, strip):
    """Where the strip lies in the window's capture, or None."""
    height, width = len(strip), len(strip[0])
    for top in range(0, min(80, len(window) - height + 1)):
        for left in range(0, min(20, len(window[0]) - width + 1)):
            if all(window[top + y][left:left + width] == strip[y] for y in range(height)):
                return left, top
    return None


def differing(window, strip):
    """The first of the pixels where the window's strip differs, with its count."""
    best = None
    height, width = len(strip), len(strip[0])
    for top in range(0, min(80, len(window) - height + 1)):
        for left in range(0, min(20, len(window[0]) - width + 1)):
            wrong = [(x, y) for y in range(height) for x in range(width) if window[top + y][left + x] != strip[y][x]]
            if best is None or len(wrong) < len(best):
                best = wrong
    return best


def run(command, **options):
    return subprocess.run(command, capture_output=True, text=True, timeout=TIMEOUT, **options)


def windows_path(loader, path):
    # Wine shows the Linux root as drive Z:.
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def main(argv):
    idle_only = argv[7:] == ["--idle-only"]
    if len(argv) != 7 and not idle_only:
        sys.stderr.write(__doc__)
        return 2
    loader, demo, lumora, control, gallery_script, work = argv[1:7]
    states = {"idle": STATES["idle"]} if idle_only else STATES
    work = Path(work)
    gallery = work / "gallery"
    subprocess.run(["bash", gallery_script, str(gallery)], check=True, stdout=subprocess.DEVNULL)
    if run([loader, "regsvr32", "/s", control]).returncode != 0:
        print("cannot register the control")
        return 1
    failures = 0
    seen = {}
    try:
        for form in sorted(gallery.glob("*.json")):
            values = json.loads(form.read_text(encoding="utf-8"))
            for key in values:
                if key.startswith("RowText"):
                    values[key] = ""
            text = json.dumps(values, ensure_ascii=False, sort_keys=True)
            if text in seen:
                # Forms that differ only in their captions show one strip.
                print(f"ok   {form.name}: without captions the same form as {seen[text]}")
                continue
            seen[text] = form.name
            bare = work / f"bare-{form.name}"
            bare.write_text(text, encoding="utf-8")
            saved = work / f"saved-{form.stem}.lumora"
            for state, events in states.items():
                shot = work / f"demo-{form.stem}-{state}.bmp"
                drawn = work / f"render-{form.stem}-{state}.png"
                demo_run = [loader, demo, "--form", windows_path(loader, bare), "--screenshot", windows_path(loader, shot)]
                render_run = [loader, lumora, "render", windows_path(loader, bare), "-o", windows_path(loader, drawn),
                              "--width", str(STRIP_WIDTH)]
                if events:
                    demo_run += ["--events", events]
                    render_run += ["--events", events]
                else:
                    demo_run += ["--save", windows_path(loader, saved)]
                for command in (demo_run, render_run):
                    done = run(command)
                    if done.returncode != 0 and not done.stdout and not done.stderr:
                        # Both programs say why they fail. A run that ends
                        # without a word never reached them: Wine's loader
                        # failed to start it, as it does now and then on a
                        # busy machine. Once more, and said so.
                        print(f"note {form.name} {state}: {' '.join(command[1:3])} exited {done.returncode} "
                              "without a word; run again")
                        done = run(command)
                    if done.returncode != 0:
                        print(f"FAIL {form.name} {state}: {' '.join(command[1:3])} exited {done.returncode}: "
                              f"{done.stdout}{done.stderr}")
                        failures += 1
                        break
                else:
                    window, strip = read_bmp(shot), read_png(drawn)
                    if find_strip(window, strip):
                        print(f"ok   {form.name} {state}: {len(strip[0])}x{len(strip)} pixels equal")
                    else:
                        wrong = differing(window, strip)
                        print(f"FAIL {form.name} {state}: {len(wrong)} pixels differ, first at {wrong[:3]}")
                        failures += 1
            # The stream the demo saved holds what the JSON form held. The
            # system's font object answers with the face and size it made
            # ("Liberation Sans", 8.25 for 8 points at 96 dpi), which the
            # control saves in its font; its own FontName and FontSize stay.
            shown = [run([loader, lumora, "show", windows_path(loader, path)]).stdout for path in (bare, saved)]
            values = []
            for text in shown:
                try:
                    value = json.loads(text)
                    value.get("properties", {}).get("Font", {}).pop("Name", None)
                    value.get("properties", {}).get("Font", {}).pop("Size", None)
                    values.append(value)
                except ValueError:
                    values.append(None)
            if values[0] and values[0] == values[1]:
                print(f"ok   {form.name}: the demo's saved stream shows as the form")
            else:
                print(f"FAIL {form.name}: the demo saved a stream that shows otherwise:\n{shown[0]}\n---\n{shown[1]}")
                failures += 1
        # Files that are no form: the demo says what it found, in the tool's
        # words, and exits 1.
        wrong = {
            "strip.png": ("a PNG image", b"\x89PNG\r\n\x1a\n" + bytes(32)),
            "empty.lumora": ("an empty file", b""),
            "newer.lumora": ("a form stream of version 7", b"LFST\x07\x00\x00\x00"),
            "folder.json": ("a directory", None),
        }
        for name, (found, content) in wrong.items():
            path = work / name
            if content is None:
                path.mkdir(exist_ok=True)
            else:
                path.write_bytes(content)
            done = run([loader, demo, "--form", windows_path(loader, path), "--screenshot",
                        windows_path(loader, work / "none.bmp")])
            message = (done.stdout + done.stderr).strip()
            print(f"wrong file: exit {done.returncode}: {message}")
            if done.returncode != 1 or f"found {found};" not in message or "0x" in message:
                print(f"FAIL the demo does not say it found {found}")
                failures += 1
    finally:
        run([loader, "regsvr32", "/u", "/s", control])
    print(f"demo forms: {failures} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
