// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumora::windemo {

// One line of the demo's list: a person, a town and a date.
struct SampleRow {
    std::wstring name;
    std::wstring place;
    // As shown, "TT.MM.JJJJ".
    std::wstring date;

    friend bool operator==(const SampleRow&, const SampleRow&) = default;
};

// The list's columns, numbered as the strip numbers its columns.
enum class SampleColumn { Name = 1, Place = 2, Date = 3 };
inline constexpr int kSampleColumnCount = 3;

enum class SortDirection { Ascending, Descending };

// The rows the demo starts with, in their unsorted order.
std::vector<SampleRow> SampleRows();

// The text a row shows in a column (1 to 3).
const std::wstring& CellText(const SampleRow& row, SampleColumn column);

// The column a strip column number names, or none when the number is no
// column of the list (0 while nothing was pressed, or a column added to the
// strip that the list does not have).
std::optional<SampleColumn> ColumnFromStrip(long stripColumn);

// The direction word the strip reports ("ASC" or "DESC"), or none for any
// other text.
std::optional<SortDirection> DirectionFromWord(std::wstring_view word);

// "TT.MM.JJJJ" as a number that sorts as the date does (JJJJMMTT), or none
// when the text is no such date; such rows sort before every date.
std::optional<long> DateKey(std::wstring_view text);

// Sorts rows by one column; rows that compare equal keep their order, so
// sorting by a second column keeps the first as the tie-break.
void SortRows(std::vector<SampleRow>& rows, SampleColumn column, SortDirection direction);

}  // namespace lumora::windemo
