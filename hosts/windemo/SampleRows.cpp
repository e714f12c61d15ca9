// SPDX-License-Identifier: MIT
#include "SampleRows.h"

#include <algorithm>
#include <cwctype>

namespace lumora::windemo {
namespace {

// Compares names as a German reader expects: case does not count, and an
// umlaut sorts with its base letter.
wchar_t FoldLetter(wchar_t letter) {
    switch (letter) {
        case L'\u00E4':
        case L'\u00C4':
            return L'a';
        case L'\u00F6':
        case L'\u00D6':
            return L'o';
        case L'\u00FC':
        case L'\u00DC':
            return L'u';
        case L'\u00DF':
            return L's';
        default:
            return static_cast<wchar_t>(std::towlower(letter));
    }
}

int CompareText(const std::wstring& left, const std::wstring& right) {
    const auto folded = [](const std::wstring& text) {
        std::wstring result(text);
        std::transform(result.begin(), result.end(), result.begin(), FoldLetter);
        return result;
    };
    const int order = folded(left).compare(folded(right));
    // Equal after folding: the exact text decides, so the order is total.
    return order != 0 ? order : left.compare(right);
}

int CompareDates(const std::wstring& left, const std::wstring& right) {
    const long leftKey = DateKey(left).value_or(-1);
    const long rightKey = DateKey(right).value_or(-1);
    if (leftKey != rightKey) return leftKey < rightKey ? -1 : 1;
    return 0;
}

// Two digits or four, as the date's parts are written.
std::optional<int> Digits(std::wstring_view text) {
    int value = 0;
    for (const wchar_t digit : text) {
        if (digit < L'0' || digit > L'9') return std::nullopt;
        value = value * 10 + (digit - L'0');
    }
    return value;
}

}  // namespace

std::vector<SampleRow> SampleRows() {
    return {
        {L"Weber, Anna", L"M\u00FCnchen", L"14.03.1987"},
        {L"Schmidt, Jonas", L"Hamburg", L"02.11.1990"},
        {L"M\u00FCller, Lea", L"Berlin", L"27.07.1975"},
        {L"Becker, Paul", L"K\u00F6ln", L"09.01.2001"},
        {L"Hoffmann, Marie", L"Leipzig", L"30.05.1968"},
        {L"Schulz, Felix", L"Dresden", L"18.12.1995"},
        {L"Koch, Emma", L"Bremen", L"05.09.1982"},
        {L"Richter, Ben", L"N\u00FCrnberg", L"21.02.1979"},
        {L"Klein, Mia", L"Stuttgart", L"11.06.1993"},
        {L"Wolf, Lukas", L"Hannover", L"03.10.1960"},
        {L"Schr\u00F6der, Lina", L"Essen", L"25.04.1988"},
        {L"Neumann, Elias", L"Dortmund", L"16.08.1971"},
        {L"Schwarz, Clara", L"D\u00FCsseldorf", L"07.07.2003"},
        {L"Zimmermann, Noah", L"Bonn", L"29.01.1985"},
        {L"Braun, Hannah", L"Freiburg", L"12.12.1999"},
        {L"Kr\u00FCger, Leon", L"Kiel", L"04.03.1966"},
        {L"Hofmann, Sophie", L"Rostock", L"23.11.1977"},
        {L"Hartmann, Finn", L"Augsburg", L"08.05.1991"},
        {L"Lange, Ida", L"Mainz", L"19.09.1984"},
        {L"Schmitt, Theo", L"Kassel", L"01.04.1973"},
        {L"Werner, Ella", L"L\u00FCbeck", L"26.06.1996"},
        {L"Krause, Emil", L"Erfurt", L"14.02.1962"},
        {L"Meier, Frieda", L"Potsdam", L"31.08.1980"},
        {L"Lehmann, Anton", L"Ulm", L"10.10.2000"},
        {L"Schmid, Greta", L"Trier", L"22.03.1958"},
        {L"Schulze, Karl", L"Jena", L"06.12.1989"},
        {L"Maier, Luise", L"Passau", L"17.07.1970"},
        {L"K\u00F6hler, Oskar", L"Aachen", L"28.10.1994"},
        {L"Herrmann, Mathilda", L"Regensburg", L"13.01.1983"},
        {L"K\u00F6nig, Jakob", L"Konstanz", L"09.09.1976"},
        {L"Walter, Johanna", L"Wiesbaden", L"20.05.1998"},
        {L"Mayer, Moritz", L"Heidelberg", L"15.11.1965"},
        {L"Huber, Charlotte", L"Bamberg", L"03.02.1986"},
        {L"Kaiser, Henri", L"G\u00F6ttingen", L"24.04.1974"},
        {L"Fuchs, Amelie", L"Schwerin", L"07.08.1992"},
        {L"Peters, Vincent", L"Saarbr\u00FCcken", L"30.12.1969"},
    };
}

const std::wstring& CellText(const SampleRow& row, SampleColumn column) {
    switch (column) {
        case SampleColumn::Name:
            return row.name;
        case SampleColumn::Place:
            return row.place;
        case SampleColumn::Date:
            break;
    }
    return row.date;
}

std::optional<SampleColumn> ColumnFromStrip(long stripColumn) {
    if (stripColumn < 1 || stripColumn > kSampleColumnCount) return std::nullopt;
    return static_cast<SampleColumn>(stripColumn);
}

std::optional<SortDirection> DirectionFromWord(std::wstring_view word) {
    if (word == L"ASC") return SortDirection::Ascending;
    if (word == L"DESC") return SortDirection::Descending;
    return std::nullopt;
}

std::optional<long> DateKey(std::wstring_view text) {
    if (text.size() != 10 || text[2] != L'.' || text[5] != L'.') return std::nullopt;
    const auto day = Digits(text.substr(0, 2));
    const auto month = Digits(text.substr(3, 2));
    const auto year = Digits(text.substr(6, 4));
    if (!day || !month || !year || *day < 1 || *day > 31 || *month < 1 || *month > 12) return std::nullopt;
    return static_cast<long>(*year) * 10000 + *month * 100 + *day;
}

void SortRows(std::vector<SampleRow>& rows, SampleColumn column, SortDirection direction) {
    const auto compare = [column](const SampleRow& left, const SampleRow& right) {
        const std::wstring& a = CellText(left, column);
        const std::wstring& b = CellText(right, column);
        return column == SampleColumn::Date ? CompareDates(a, b) : CompareText(a, b);
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const SampleRow& left, const SampleRow& right) {
        const int order = compare(left, right);
        return direction == SortDirection::Ascending ? order < 0 : order > 0;
    });
}

}  // namespace lumora::windemo
