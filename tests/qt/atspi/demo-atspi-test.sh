#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
#
# Usage: demo-atspi-test.sh LUMORA-QT-DEMO
#
# Reads the Qt demo as a screen reader does: on a private D-Bus session bus
# with its own accessibility bus (at-spi2-core), on a virtual display, the
# demo with Qt's accessibility switched on, and a client through pyatspi.
set -euo pipefail

demo="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
# The demo draws on the virtual display (the client sets its platform).
unset QT_QPA_PLATFORM
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS
# A display number of its own, so runs beside other virtual displays do not race
# for the same one.
exec xvfb-run -a -n $((200 + RANDOM % 600)) -s "-screen 0 1024x768x24" \
    dbus-run-session -- /usr/bin/python3 "$here/demo_atspi.py" "$demo"
