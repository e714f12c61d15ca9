# SPDX-License-Identifier: MIT
"""The Qt demo as a screen reader reads it, through AT-SPI.

Starts the demo, finds its strip's column headers, checks their names,
presses "Größe" through its accessible action and checks that the list is
sorted by it and that the header says so. Exits non-zero with a line naming
what was wrong.
"""
import os
import socket
import subprocess
import sys
import time

import pyatspi

DEADLINE = 30.0


def fail(message):
    print("demo-atspi: " + message, flush=True)
    sys.exit(1)


def wait_for(what, probe):
    """Polls probe until it returns something, or fails naming what."""
    end = time.monotonic() + DEADLINE
    while time.monotonic() < end:
        found = probe()
        if found:
            return found
        time.sleep(0.1)
    fail("timed out waiting for " + what)


def descendants(node, role):
    found = []
    for child in node:
        if child is None:
            continue
        if child.getRole() == role:
            found.append(child)
        found.extend(descendants(child, role))
    return found


def demo_application():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name == "lumora-qt-demo":
            return app
    return None


def strip_headers(app):
    """The column headers of the strip: children of the list that holds them."""
    for lst in descendants(app, pyatspi.ROLE_LIST):
        headers = [child for child in lst if child is not None and child.getRole() == pyatspi.ROLE_TABLE_COLUMN_HEADER]
        if headers:
            return headers
    return None


def press(header):
    action = header.queryAction()
    for i in range(action.nActions):
        if action.getName(i) == "Press":
            action.doAction(i)
            return
    fail(header.name + " has no Press action; it has " + str([action.getName(i) for i in range(action.nActions)]))


def column_values(table, column):
    cells = table.queryTable()
    return [cells.getAccessibleAt(row, column).name for row in range(cells.nRows)]


def display_accepts():
    """Whether the virtual display takes connections yet: it may still be
    starting when this client runs."""
    number = os.environ.get("DISPLAY", ":0").lstrip(":").split(".")[0]
    with socket.socket(socket.AF_UNIX) as connection:
        try:
            connection.connect("/tmp/.X11-unix/X" + number)
            return True
        except OSError:
            return False


def start_demo():
    """The demo on the display; one that could not connect starts again."""
    for _ in range(5):
        wait_for("the virtual display", display_accepts)
        demo = subprocess.Popen([sys.argv[1]], env=dict(os.environ, QT_QPA_PLATFORM="xcb"))
        try:
            demo.wait(1.0)
        except subprocess.TimeoutExpired:
            return demo
        time.sleep(0.5)
    fail("the demo does not start on the virtual display")


def main():
    demo = start_demo()
    try:
        app = wait_for("the demo on the accessibility bus", demo_application)
        headers = wait_for("the strip's column headers", lambda: strip_headers(app))
        names = [header.name for header in headers]
        if names != ["Name", "Größe", "Datum"]:
            fail("the column headers are named " + str(names))
        if any(header.description for header in headers):
            fail("a column says it is sorted before any press")
        tables = descendants(app, pyatspi.ROLE_TABLE)
        if not tables:
            fail("the demo's list is not a table")
        table = tables[0]

        size = headers[1]
        press(size)
        wait_for('"sorted ascending" on Größe', lambda: size.description == "sorted ascending")
        values = [int(value) for value in column_values(table, 1)]
        if values != sorted(values):
            fail("the list is not sorted by Größe: " + str(values))
        header = table.queryTable().getColumnHeader(1)
        if header is None or header.name != "Größe" or header.description != "sorted ascending":
            fail("the list's own header for Größe reads " + repr(header and (header.name, header.description)))

        press(size)
        wait_for('"sorted descending" on Größe', lambda: size.description == "sorted descending")
        values = [int(value) for value in column_values(table, 1)]
        if values != sorted(values, reverse=True):
            fail("the list is not sorted down by Größe: " + str(values))
        print("demo-atspi: column headers Name, Größe, Datum; pressing Größe sorted the list ascending, "
              "then descending, and the header said so", flush=True)
    finally:
        demo.terminate()
        try:
            demo.wait(10)
        except subprocess.TimeoutExpired:
            demo.kill()


if __name__ == "__main__":
    main()
