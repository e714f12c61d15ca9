// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "lumora/platform/Dialogs.h"
#include "lumora/platform/FileDialog.h"
#include "lumora/platform/Picture.h"
#include "lumora/platform/Screen.h"
#include "lumora/platform/Shell.h"

// What the pages and the About box ask of the platform, answered by Qt:
// message boxes, the file-open dialog, links and the hourglass.
namespace Lumora {

// Message boxes over a window of the pages, or over nothing.
class QtMessageBoxes final : public lumora::IDialogs {
public:
    void SetOwner(QWidget* owner) noexcept { owner_ = owner; }
    int MsgBox(const lumora::String& prompt, int buttons, const lumora::String& title) override;

private:
    QPointer<QWidget> owner_;
};

// Shows a message with the icon its style asks for and an OK button.
int ShowMessage(QWidget* owner, const lumora::String& prompt, int buttons, const lumora::String& title);

// The file-open dialog, filled from the columns page's request record. The
// chosen path comes back in the system's 8-bit code page, as the record
// carries it.
class QtFileDialog final : public lumora::IFileDialog {
public:
    void SetOwner(QWidget* owner) noexcept { owner_ = owner; }
    std::uintptr_t ComponentInstance() override { return 0; }
    bool GetOpenFileNameA(lumora::OpenFileName& record) override;

private:
    QPointer<QWidget> owner_;
};

// The record's filter list ("Name\0*.a;*.b\0...\0") as Qt's name filters
// ("Name (*.a *.b);;..."). Texts are in the system's 8-bit code page.
QString NameFiltersOf(const std::string& filter);

// Links open with the program the desktop chose for them.
class QtShell final : public lumora::IShell {
public:
    std::intptr_t ShellExecuteA(lumora::HWND hwnd, const std::string& operation, const std::string& file,
                                const std::string& parameters, const std::string& directory, int showCommand) override;
};

// The hourglass over the application while a link opens.
class QtScreen final : public lumora::IScreen {
public:
    ~QtScreen() override;
    lumora::Integer get_MousePointer() override { return pointer_; }
    void put_MousePointer(lumora::Integer pointer) override;

private:
    lumora::Integer pointer_ = lumora::vbDefault;
    bool overridden_ = false;
};

// A picture of the surface as a pixmap; null for none or one Qt cannot read.
QPixmap PixmapOf(const lumora::PicturePtr& picture);

}  // namespace Lumora
