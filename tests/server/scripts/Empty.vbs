' SPDX-License-Identifier: MIT
' Does nothing: running it lets the script host set itself up.
