// SPDX-License-Identifier: MIT
#include "support/mCommonDialog.h"

#include "lumora/runtime/RuntimeError.h"
#include "runtime/CodePage.h"

namespace lumora::mCommonDialog {
namespace {

// The filter is walked with a 16-bit counter, so a longer one cannot be
// converted.
constexpr std::size_t kMaxFilterLength = 32767;
constexpr char16_t kFilterSeparator = u'|';

// An untouched buffer: the NUL in front gives the dialog an empty file name,
// the blanks behind it are trimmed away again afterwards.
std::string EmptyFileBuffer() {
    std::string buffer(kFileBufferLength, ' ');
    buffer[0] = '\0';
    return buffer;
}

std::string TrimBlanks(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

void SetFilter(OpenFileName& record, const String& Filter) {
    record.lpstrFilter.clear();
    if (Filter.size() > kMaxFilterLength) Raise(err::kOverflow);
    String converted;
    converted.reserve(Filter.size() + 1);
    for (const char16_t ch : Filter) converted += ch == kFilterSeparator ? u'\0' : ch;
    converted += u'\0';
    // The 8-bit copy handed to the dialog ends with a NUL of its own, which
    // makes the second NUL that closes the list.
    record.lpstrFilter = ToAnsi(converted) + '\0';
}

String ShowOpen(IFileDialog& dialog, const String& Title, const String& Filter, const String& DefaultExt) {
    OpenFileName record;
    record.lpstrTitle = ToAnsi(Title);
    record.lpstrDefExt = ToAnsi(DefaultExt);
    SetFilter(record, Filter);
    record.hInstance = dialog.ComponentInstance();
    record.lpstrFile = EmptyFileBuffer();
    record.nMaxFile = kFileBufferLength;
    record.Flags = OFN_HIDEREADONLY;
    record.lStructSize = kRecordSize;

    // A failed dialog can leave other data than a path in the buffer (the
    // size it wanted, for one), which must not come back as a file name.
    if (!dialog.GetOpenFileNameA(record)) return String();
    const std::string chosen = TrimBlanks(record.lpstrFile);
    if (chosen.size() <= 1) return String();
    return FromAnsi(chosen);
}

}  // namespace lumora::mCommonDialog
