' SPDX-License-Identifier: MIT
' The installed control as a script uses it. The script host hides errors,
' so every step prints its result and the test compares the lines.
Option Explicit

Dim strip
Set strip = CreateObject("DorvaneLumoraStyleList.LumoraListControl")
strip.AddRow 80, "&Name"
WScript.Echo "NumberOfRows " & strip.NumberOfRows
WScript.Echo "RowCaption " & strip.RowCaption(strip.NumberOfRows)
WScript.Echo "RowWidth " & strip.RowWidth(strip.NumberOfRows)
Set strip = Nothing
WScript.Echo "Done"
