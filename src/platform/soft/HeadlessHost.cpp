// SPDX-License-Identifier: MIT
#include "platform/soft/HeadlessHost.h"

#include <algorithm>

#include "platform/NumberFormat.h"
#include "platform/soft/SoftFont.h"

namespace lumora::soft {
namespace {

std::string Text(Single value) { return ToUtf8(FormatNumber(value, NumberFormat())); }

}  // namespace

HeadlessHost::HeadlessHost()
    : ambientFont_(SoftFont::Create()),
      font_(SoftFont::Create()),
      control_(std::make_unique<LumoraListControl>(static_cast<IControlSite&>(*this))) {
    control_->Advise(static_cast<ILumoraListControlEvents*>(this));
}

HeadlessHost::~HeadlessHost() {
    // The control goes first: it may still release what the host gave it.
    control_.reset();
}

std::vector<std::string> HeadlessHost::TakeLog() { return std::exchange(log_, {}); }

std::vector<std::string> HeadlessHost::PropertyChanges() const {
    static const std::string kPrefix = "PropertyChanged ";
    std::vector<std::string> names;
    for (const std::string& line : log_)
        if (line.starts_with(kPrefix)) names.push_back(line.substr(kPrefix.size()));
    return names;
}

int HeadlessHost::RefreshCount() const {
    return static_cast<int>(std::count(log_.begin(), log_.end(), std::string("Refresh")));
}

void HeadlessHost::PropertyChanged(const String& name) { Record("PropertyChanged " + ToUtf8(name)); }

void HeadlessHost::put_BackColor(OLE_COLOR color) {
    backColor_ = color;
    Record("BackColor " + std::to_string(color));
}

void HeadlessHost::put_ForeColor(OLE_COLOR color) {
    foreColor_ = color;
    Record("ForeColor " + std::to_string(color));
}

void HeadlessHost::putref_Font(const FontPtr& font) {
    font_ = font;
    Record("Font");
}

void HeadlessHost::put_AccessKeys(const String& keys) {
    accessKeys_ = keys;
    Record("AccessKeys " + ToUtf8(keys));
}

void HeadlessHost::Refresh() { Record("Refresh"); }

void HeadlessHost::RowPressed(Integer& PreviousTab, Long& SortRow, String& Sort) {
    Record("RowPressed " + std::to_string(PreviousTab) + " " + std::to_string(SortRow) + " " + ToUtf8(Sort));
    if (onRowPressed) onRowPressed(PreviousTab, SortRow, Sort);
}

namespace {

std::string MouseArguments(Integer Button, Integer Shift, Single X, Single Y, Long SortRow) {
    return std::to_string(Button) + " " + std::to_string(Shift) + " " + Text(X) + " " + Text(Y) + " " +
           std::to_string(SortRow);
}

}  // namespace

void HeadlessHost::MouseIn(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) {
    Record("MouseIn " + MouseArguments(Button, Shift, X, Y, SortRow));
    if (onMouseIn) onMouseIn(Button, Shift, X, Y, SortRow);
}

void HeadlessHost::MouseOut(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) {
    Record("MouseOut " + MouseArguments(Button, Shift, X, Y, SortRow));
    if (onMouseOut) onMouseOut(Button, Shift, X, Y, SortRow);
}

void HeadlessHost::MouseDown(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow, String& Sort) {
    Record("MouseDown " + MouseArguments(Button, Shift, X, Y, SortRow) + " " + ToUtf8(Sort));
    if (onMouseDown) onMouseDown(Button, Shift, X, Y, SortRow, Sort);
}

void HeadlessHost::MouseUp(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) {
    Record("MouseUp " + MouseArguments(Button, Shift, X, Y, SortRow));
    if (onMouseUp) onMouseUp(Button, Shift, X, Y, SortRow);
}

}  // namespace lumora::soft
