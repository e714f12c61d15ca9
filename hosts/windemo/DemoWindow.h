// SPDX-License-Identifier: MIT
#pragma once

#include "DemoWindows.h"

#include <string>
#include <vector>

#include "AtlContainer.h"
#include "RowPressedSink.h"
#include "SampleRows.h"

struct _LumoraListControl;

namespace lumora::windemo {

// The demo's top-level window: the strip in the system's container window
// on top, the list it heads below, and a button row. Pressing a column of
// the strip sorts the list by that column in the direction the strip
// reports; the list's columns follow the strip's widths.
class DemoWindow {
public:
    explicit DemoWindow(const AtlContainer& atl);
    ~DemoWindow();
    DemoWindow(const DemoWindow&) = delete;
    DemoWindow& operator=(const DemoWindow&) = delete;

    // Creates the window, hidden, with a new strip set up for the list;
    // false with a reason when the control cannot be created.
    bool Create(HINSTANCE instance, std::wstring* error);
    void Show(int how);
    // Ends the thread's message loop when the window closes.
    void QuitWhenClosed() noexcept { quitWhenClosed_ = true; }

    ::HWND Window() const noexcept { return window_; }
    // The container window that holds the strip.
    ::HWND Strip() const noexcept { return host_; }
    ::HWND List() const noexcept { return list_; }
    // The hosted control, or null (not referenced for the caller).
    IUnknown* Control() const noexcept { return control_.get(); }
    RowPressedSink& Sink() noexcept { return sink_; }
    const std::vector<SampleRow>& Rows() const noexcept { return rows_; }

    // Replaces the strip with one loaded from a saved form, JSON or the
    // control's stream; on failure the current strip stays. A failure the
    // file explains puts its one line in problem.
    HRESULT LoadFormFile(const std::wstring& path, std::wstring* problem = nullptr);
    // Saves in the format the file holds, else JSON for a .json name and
    // the control's stream for any other.
    HRESULT SaveFormFile(const std::wstring& path, std::wstring* problem = nullptr) const;
    // Sorts the list by a column of the strip; other columns are ignored.
    void SortList(long stripColumn, SortDirection direction);
    // Opens the control's property pages over it.
    void ShowProperties();
    // What the message loop asks of every message before it dispatches it:
    // Alt and an access key of the strip's captions focus the strip, and
    // the window's dialog keys (Tab, the button's access key) move between
    // its parts. True when the message was used up.
    bool PreTranslateMessage(MSG& message);

private:
    static bool RegisterWindowClass(HINSTANCE instance);
    static LRESULT CALLBACK WindowProcedure(::HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void HandleCommand(int command);
    // Hands a character typed with Alt that the strip's accelerator table
    // names to the strip, as forms do for the controls they hold; true when
    // it matched.
    bool TranslateMnemonic(MSG& message);

    // A container window with the given text (a ProgID creates that
    // control; an empty text makes an empty container).
    ::HWND CreateHost(const wchar_t* text);
    // Takes the control in host_ as the demo's: connects the sink and
    // matches the list's columns to it.
    bool AdoptControl(IUnknown* control);
    // Gives a new strip the list's three columns, widths and captions.
    void SetUpNewStrip();
    void CreateList();
    void FillList();
    // The list's column widths from the strip's.
    void MatchListColumns();
    void LayOut();
    // The strip's height on screen.
    int StripHeight() const;
    // A length given at 96 dpi, at the window's resolution.
    int Scaled(int pixels) const;
    void AskAndLoad();
    void AskAndSave();
    std::wstring AskForFormFile(bool saving) const;
    // What failed, then the file's own line when there is one, else the
    // result's sentence.
    void ShowError(const wchar_t* what, HRESULT hr, const std::wstring& problem);

    const AtlContainer& atl_;
    ::HWND window_ = nullptr;
    ::HWND host_ = nullptr;
    ::HWND list_ = nullptr;
    ::HWND propertiesButton_ = nullptr;
    ScopedComPtr<IUnknown> control_;
    ScopedComPtr<_LumoraListControl> strip_;
    RowPressedSink sink_;
    std::vector<SampleRow> rows_;
    bool quitWhenClosed_ = false;
};

}  // namespace lumora::windemo
