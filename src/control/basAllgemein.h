// SPDX-License-Identifier: MIT
#pragma once

#include "lumora/runtime/Types.h"

// Splitting of delimited lists such as the ColumnWidths text "80;120;60".
// Positions and counts are 16-bit, as the routines have always kept them: a
// count above 32767, or a position past 32767 in a longer text, raises
// error 6.
namespace lumora::basAllgemein {

// How often Delimiter occurs in Text. A longer delimiter is searched again
// from the second character of each match, so overlapping matches all count.
Integer fnc_CountDelimiters(const String& Text, const String& Delimiter);

// The Index-th piece of Text between delimiters, counting from 1; a negative
// Index counts from the end (-1 is the last piece). A piece in double quotes
// comes back without them; a piece that does not exist is "".
String fnc_GetToken(const String& Text, Integer Index, const String& Delimiter);

}  // namespace lumora::basAllgemein
