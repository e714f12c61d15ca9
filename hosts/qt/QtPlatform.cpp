// SPDX-License-Identifier: MIT
#include "QtPlatform.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>
#include <QUrl>

#include "lumora/platform/soft/SoftPicture.h"
#include "runtime/CodePage.h"

namespace Lumora {
namespace {

using namespace lumora;

// What the shell answers: above 32 for success, "no program for this kind
// of link" for a link the desktop could not open.
constexpr std::intptr_t kShellSuccess = 42;
constexpr std::intptr_t kShellNoAssociation = 31;

QString ToQString(const String& text) { return QString::fromStdU16String(text); }

QString FromAnsiText(std::string_view text) { return ToQString(FromAnsi(text)); }

}  // namespace

int ShowMessage(QWidget* owner, const String& prompt, int buttons, const String& title) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    if ((buttons & 0xF0) == vbCritical) icon = QMessageBox::Critical;
    if ((buttons & 0xF0) == vbExclamation) icon = QMessageBox::Warning;
    if ((buttons & 0xF0) == vbInformation) icon = QMessageBox::Information;
    QMessageBox box(icon, ToQString(title), ToQString(prompt), QMessageBox::Ok, owner);
    box.exec();
    return vbOK;
}

int QtMessageBoxes::MsgBox(const String& prompt, int buttons, const String& title) {
    return ShowMessage(owner_, prompt, buttons, title);
}

QString NameFiltersOf(const std::string& filter) {
    // Pairs of texts, each ended by a NUL; an empty text ends the list.
    QStringList texts;
    std::size_t start = 0;
    while (start < filter.size()) {
        const std::size_t end = filter.find('\0', start);
        const std::string_view text(filter.data() + start, (end == std::string::npos ? filter.size() : end) - start);
        if (text.empty()) break;
        texts.append(FromAnsiText(text));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    QStringList filters;
    for (qsizetype i = 0; i + 1 < texts.size(); i += 2) {
        const QString patterns = texts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
        filters.append(QStringLiteral("%1 (%2)").arg(texts[i], patterns));
    }
    return filters.join(QStringLiteral(";;"));
}

bool QtFileDialog::GetOpenFileNameA(OpenFileName& record) {
    const QString path = QFileDialog::getOpenFileName(owner_, FromAnsiText(record.lpstrTitle), QString(),
                                                      NameFiltersOf(record.lpstrFilter));
    if (path.isEmpty()) return false;
    // The path and its NUL must fit the record's buffer, as the system's
    // dialog demands; a longer one fails rather than being cut.
    const std::string chosen = ToAnsi(path.toStdU16String());
    const std::size_t buffer = static_cast<std::size_t>(std::max<Long>(record.nMaxFile, 0));
    if (chosen.size() + 1 > buffer) return false;
    if (record.lpstrFile.size() < buffer) record.lpstrFile.resize(buffer, '\0');
    record.lpstrFile.replace(0, chosen.size() + 1, chosen + '\0');
    return true;
}

std::intptr_t QtShell::ShellExecuteA(HWND, const std::string&, const std::string& file, const std::string&,
                                     const std::string&, int) {
    const QUrl url(FromAnsiText(file));
    return url.isValid() && QDesktopServices::openUrl(url) ? kShellSuccess : kShellNoAssociation;
}

QtScreen::~QtScreen() {
    if (overridden_) QApplication::restoreOverrideCursor();
}

void QtScreen::put_MousePointer(Integer pointer) {
    pointer_ = pointer;
    const bool hourglass = pointer == vbHourglass;
    if (hourglass == overridden_) return;
    if (hourglass) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
    overridden_ = hourglass;
}

QPixmap PixmapOf(const PicturePtr& picture) {
    QPixmap pixmap;
    if (!picture) return pixmap;
    const std::string bytes = soft::SoftPictures::ToFileBytes(*picture);
    pixmap.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<uint>(bytes.size()));
    return pixmap;
}

}  // namespace Lumora
