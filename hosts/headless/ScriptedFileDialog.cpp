// SPDX-License-Identifier: MIT
#include "lumora/headless/ScriptedFileDialog.h"

#include "runtime/CodePage.h"

namespace lumora::headless {

void ScriptedFileDialog::QueueChoice(const String& path) { answers_.push_back({Answer::Kind::Choice, ToAnsi(path)}); }

void ScriptedFileDialog::QueueCancel() { answers_.push_back({Answer::Kind::Cancel, {}}); }

void ScriptedFileDialog::QueueFailure() { answers_.push_back({Answer::Kind::Failure, {}}); }

bool ScriptedFileDialog::GetOpenFileNameA(OpenFileName& record) {
    requests_.push_back(record);
    if (answers_.empty()) return false;
    const Answer answer = answers_.front();
    answers_.pop_front();
    if (answer.kind == Answer::Kind::Cancel) return false;
    // The chosen name and its NUL must fit the buffer; otherwise the dialog
    // reports the size it needed in the buffer's first two bytes.
    const std::size_t needed = answer.path.size() + 1;
    if (answer.kind == Answer::Kind::Failure || needed > record.lpstrFile.size()) {
        if (record.lpstrFile.size() >= 2) {
            record.lpstrFile[0] = static_cast<char>(needed & 0xFF);
            record.lpstrFile[1] = static_cast<char>((needed >> 8) & 0xFF);
        }
        return false;
    }
    record.lpstrFile.replace(0, needed, answer.path + '\0');
    return true;
}

}  // namespace lumora::headless
