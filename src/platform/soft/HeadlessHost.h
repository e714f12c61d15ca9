// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control/LumoraListControl.h"
#include "platform/ControlEvents.h"
#include "platform/ControlSite.h"

namespace lumora::soft {

// A host without a screen: it creates one control, plays the container's
// part and writes down everything the control tells it, one line per call:
//
//   "PropertyChanged HeaderHeight"   a saved property changed
//   "Refresh"                        the image was shown (a finished repaint)
//   "BackColor 16645881"             the window's own colours
//   "ForeColor 2147483666"
//   "Font"                           the control handed over its font
//   "AccessKeys nz"                  the window's access keys
//   "RowPressed 0 0 ASC"             an event and its arguments
//   "MouseDown 1 0 10 5 2 ASC"
//
// Event handlers set by a test run while the event is raised and may change
// the by-reference arguments or call back into the control.
class HeadlessHost final : private IControlSite, private ILumoraListControlEvents {
public:
    HeadlessHost();
    ~HeadlessHost() override;
    HeadlessHost(const HeadlessHost&) = delete;
    HeadlessHost& operator=(const HeadlessHost&) = delete;

    LumoraListControl& control() noexcept { return *control_; }
    LumoraListControl* operator->() noexcept { return control_.get(); }

    // The container's font; set it before the control is initialised.
    void SetAmbientFont(FontPtr font) { ambientFont_ = std::move(font); }
    const FontPtr& ambientFont() const noexcept { return ambientFont_; }

    // Everything recorded so far, then forgets it.
    std::vector<std::string> TakeLog();
    const std::vector<std::string>& log() const noexcept { return log_; }
    std::vector<std::string> PropertyChanges() const;
    int RefreshCount() const;

    const String& accessKeys() const noexcept { return accessKeys_; }
    OLE_COLOR windowBackColor() const noexcept { return backColor_; }
    OLE_COLOR windowForeColor() const noexcept { return foreColor_; }
    const FontPtr& windowFont() const noexcept { return font_; }

    std::function<void(Integer& PreviousTab, Long& SortRow, String& Sort)> onRowPressed;
    std::function<void(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow)> onMouseIn;
    std::function<void(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow)> onMouseOut;
    std::function<void(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow, String& Sort)> onMouseDown;
    std::function<void(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow)> onMouseUp;

private:
    // IControlSite
    void PropertyChanged(const String& name) override;
    void put_BackColor(OLE_COLOR color) override;
    void put_ForeColor(OLE_COLOR color) override;
    FontPtr get_Font() override { return font_; }
    void putref_Font(const FontPtr& font) override;
    FontPtr AmbientFont() override { return ambientFont_; }
    void put_AccessKeys(const String& keys) override;
    void Refresh() override;

    // ILumoraListControlEvents
    void RowPressed(Integer& PreviousTab, Long& SortRow, String& Sort) override;
    void MouseIn(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) override;
    void MouseOut(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) override;
    void MouseDown(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow, String& Sort) override;
    void MouseUp(Integer& Button, Integer& Shift, Single& X, Single& Y, Long& SortRow) override;

    void Record(std::string line) { log_.push_back(std::move(line)); }

    std::vector<std::string> log_;
    FontPtr ambientFont_;
    FontPtr font_;
    OLE_COLOR backColor_ = 0;
    OLE_COLOR foreColor_ = 0;
    String accessKeys_;
    std::unique_ptr<LumoraListControl> control_;
};

}  // namespace lumora::soft
