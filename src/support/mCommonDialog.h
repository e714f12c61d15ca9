// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/platform/FileDialog.h"
#include "lumora/runtime/Types.h"

// The system's file-open dialog, through which the columns page picks a
// picture file.
namespace lumora::mCommonDialog {

// The length of the file name buffer handed to the dialog.
inline constexpr Long kFileBufferLength = 260;
// The size of the request record in the form the component uses.
inline constexpr Long kRecordSize = 76;

// Puts Filter into the record in the dialog's form: every "|" becomes a NUL
// and one more NUL ends the list. A filter longer than 32767 characters
// raises error 6.
void SetFilter(OpenFileName& record, const String& Filter);

// Shows the dialog and returns the chosen file's full path followed by one
// NUL, or "" when the user cancelled or the dialog failed. Title and
// DefaultExt reach the dialog unchanged.
String ShowOpen(IFileDialog& dialog, const String& Title, const String& Filter, const String& DefaultExt);

}  // namespace lumora::mCommonDialog
