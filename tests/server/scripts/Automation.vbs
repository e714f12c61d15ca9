' SPDX-License-Identifier: MIT
' The control as a script uses it: created by its ProgID, properties written
' and read, AddRow with and without its optional arguments, and an error
' caught. The script host hides errors, so every result is printed and the
' test compares the lines.
Option Explicit

Dim control, width, caption, result
Set control = CreateObject("DorvaneLumoraStyleList.LumoraListControl")

WScript.Echo "NumberOfRows " & control.NumberOfRows
WScript.Echo "RowCaption(1) " & control.RowCaption(1)
WScript.Echo "HeaderHeight " & control.HeaderHeight
control.HeaderHeight = 33
WScript.Echo "HeaderHeight " & control.HeaderHeight
control.BackColor = &H123456
WScript.Echo "BackColor " & control.BackColor
control.FontName = "Arial"
control.FontSize = 12
control.FontBold = True
WScript.Echo "Font " & control.FontName & " " & control.FontSize & " " & control.FontBold
control.ShowFrame = False
WScript.Echo "ShowFrame " & control.ShowFrame

WScript.Echo "AddRow() " & control.AddRow()
width = 80
caption = ""
result = control.AddRow(width, caption)
WScript.Echo "AddRow(80, """") " & result & " caption now """ & caption & """"
WScript.Echo "AddRow(, ""&Name"") " & control.AddRow(, "&Name")
WScript.Echo "RowWidth(2) " & control.RowWidth(2)
WScript.Echo "RowWidth(3) " & control.RowWidth(3)
WScript.Echo "RowCaption(3) " & control.RowCaption(3)
WScript.Echo "RowCaption(4) " & control.RowCaption(4)
control.RowCaption(1) = "&Datum"
control.RowSorted(2) = True
WScript.Echo "RowSorted(2) " & control.RowSorted(2)
control.SortedRow = 2
control.SelectedRow = 2
WScript.Echo "SelectedRow " & control.SelectedRow
WScript.Echo "TypeName(DeleteRow) " & TypeName(control.DeleteRow())
WScript.Echo "NumberOfRows " & control.NumberOfRows

On Error Resume Next
result = control.RowWidth(99)
WScript.Echo "Error " & Err.Number & " " & Err.Description & " from " & Err.Source
Err.Clear
On Error GoTo 0

Set control = Nothing
WScript.Echo "Done"
