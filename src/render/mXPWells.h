// SPDX-License-Identifier: MIT
#pragma once

#include "platform/Types.h"

// The routines the strip is drawn and operated with.
namespace lumora::mXPWells {

// The access key of one caption as one lower-case character, or "". An
// ampersand marks the key ("&Name" gives n); two in a row stand for a
// literal ampersand, and only the first such pair is skipped.
String ExtractAccessKey(const String& caption);

}  // namespace lumora::mXPWells
