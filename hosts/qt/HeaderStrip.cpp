// SPDX-License-Identifier: MIT
#include "lumora/qt/HeaderStrip.h"

#include <filesystem>
#include <stdexcept>

#include <QApplication>
#include <QBuffer>
#include <QDataStream>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSettings>

#include "HeaderStripAccessible.h"
#include "HeaderStripSite.h"
#include "PropertySheet.h"
#include "forms/JsonForm.h"
#include "lumora/forms/FormConversion.h"
#include "lumora/platform/soft/SoftPicture.h"
#include "render/mXPWells.h"

namespace Lumora {
namespace {

using namespace lumora;

// The width a strip asks for before its container decides.
constexpr int kPreferredWidth = 320;

OLE_COLOR ToOleColor(const QColor& color) {
    return RGB(static_cast<unsigned>(color.red()), static_cast<unsigned>(color.green()),
               static_cast<unsigned>(color.blue()));
}

QString ToQString(const String& text) { return QString::fromStdU16String(text); }

// Mouse buttons and keyboard modifiers as the control's events number them.
Integer ButtonsOf(Qt::MouseButtons buttons) {
    Integer value = 0;
    if (buttons & Qt::LeftButton) value |= 1;
    if (buttons & Qt::RightButton) value |= 2;
    if (buttons & Qt::MiddleButton) value |= 4;
    return value;
}

Integer ShiftOf(Qt::KeyboardModifiers modifiers) {
    Integer value = 0;
    if (modifiers & Qt::ShiftModifier) value |= 1;
    if (modifiers & Qt::ControlModifier) value |= 2;
    if (modifiers & Qt::AltModifier) value |= 4;
    return value;
}

// The keys the strip answers, as the control numbers them; 0 for others.
Integer KeyCodeOf(int key) {
    switch (key) {
        case Qt::Key_Left:
            return kKeyLeft;
        case Qt::Key_Right:
            return kKeyRight;
        case Qt::Key_Home:
            return kKeyHome;
        case Qt::Key_End:
            return kKeyEnd;
        case Qt::Key_Space:
            return kKeySpace;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return kKeyEnter;
        default:
            return 0;
    }
}

// Forms that arrive as bytes are named so in errors.
constexpr const char* kFormBytes = "the strip's form";

}  // namespace

HeaderStrip::HeaderStrip(QWidget* parent) : QWidget(parent), site_(std::make_unique<HeaderStripSite>(*this)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    InstallStripAccessibility();
    site_->InitNew();
}

HeaderStrip::~HeaderStrip() = default;

QSize HeaderStrip::sizeHint() const { return QSize(kPreferredWidth, site_->height()); }

QSize HeaderStrip::minimumSizeHint() const { return QSize(0, site_->height()); }

// ------------------------------------------------------------- Qt events

void HeaderStrip::paintEvent(QPaintEvent*) {
    // A hidden widget hears of a new size only when shown, but may be
    // grabbed before: the image follows the widget's size first.
    site_->WidgetResized(width(), height());
    // A widget learns its screen's ratio for sure only when it paints there:
    // the strip is drawn at the ratio it is painted at, fractional too, so
    // each of its device pixels is one of the screen's.
    site_->DevicePixelRatioIs(devicePixelRatioF());
    const soft::SoftBitmap& bitmap = site_->image();
    if (bitmap.IsMonochrome() || bitmap.pixels.empty()) return;
    // A COLORREF in memory is red, green, blue and an unused byte: the
    // image shows the surface's own pixels.
    QImage image(reinterpret_cast<const uchar*>(bitmap.pixels.data()), bitmap.width, bitmap.height, bitmap.width * 4,
                 QImage::Format_RGBX8888);
    image.setDevicePixelRatio(site_->scale());
    QPainter painter(this);
    painter.drawImage(0, 0, image);
}

void HeaderStrip::resizeEvent(QResizeEvent*) { site_->WidgetResized(width(), height()); }

bool HeaderStrip::event(QEvent* event) {
    // The window went to another screen, perhaps of another ratio: the next
    // paint draws the strip at that one.
    if (event->type() == QEvent::ScreenChangeInternal) update();
    return QWidget::event(event);
}

void HeaderStrip::mousePressEvent(QMouseEvent* event) {
    site_->MouseDown(event->position(), event->globalPosition().toPoint(), ButtonsOf(event->button()),
                     ShiftOf(event->modifiers()));
}

void HeaderStrip::mouseMoveEvent(QMouseEvent* event) {
    site_->MouseMove(event->position(), event->globalPosition().toPoint(), ButtonsOf(event->buttons()),
                     ShiftOf(event->modifiers()));
}

void HeaderStrip::mouseReleaseEvent(QMouseEvent* event) {
    site_->MouseUp(event->position(), event->globalPosition().toPoint(), ButtonsOf(event->button()),
                   ShiftOf(event->modifiers()));
}

// Qt follows the second press of a double click with a double-click event;
// the press itself has already reached the control, which knows no double
// clicks.
void HeaderStrip::mouseDoubleClickEvent(QMouseEvent* event) { event->accept(); }

void HeaderStrip::leaveEvent(QEvent*) {
    site_->PointerLeft(ButtonsOf(QApplication::mouseButtons()), ShiftOf(QApplication::keyboardModifiers()));
}

void HeaderStrip::focusInEvent(QFocusEvent* event) {
    // Focus that the keyboard brought shows the focus cue at once; a click's
    // does not.
    const Qt::FocusReason reason = event->reason();
    site_->FocusChanged(
        true, reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason);
}

void HeaderStrip::focusOutEvent(QFocusEvent*) { site_->FocusChanged(false, false); }

void HeaderStrip::keyPressEvent(QKeyEvent* event) {
    const Integer key = KeyCodeOf(event->key());
    if (key != 0 && site_->KeyDown(key, ShiftOf(event->modifiers())))
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

// ------------------------------------------------------------- properties

int HeaderStrip::focusedRow() const { return site_->control().FocusedRow(); }

bool HeaderStrip::pressRow(int index) { return site_->PressRow(index); }

QString HeaderStrip::spokenRowCaption(int index) const { return ToQString(site_->control().SpokenRowCaption(index)); }

QString HeaderStrip::rowSortDescription(int index) const {
    return ToQString(site_->control().RowSortDescription(index));
}

int HeaderStrip::headerHeight() const { return site_->control().get_HeaderHeight(); }
void HeaderStrip::setHeaderHeight(int pixels) { site_->control().put_HeaderHeight(pixels); }

#define LUMORA_COLOR_PROPERTY(getter, setter, Name)                                                  \
    QColor HeaderStrip::getter() const {                                                             \
        const OLE_COLOR color = site_->control().get_##Name();                                       \
        const COLORREF shown = mXPWells::TranslateColor(site_->surface(), color, HPALETTE{}, color); \
        return QColor(GetRValue(shown), GetGValue(shown), GetBValue(shown));                         \
    }                                                                                                \
    void HeaderStrip::setter(const QColor& color) { site_->control().put_##Name(ToOleColor(color)); }

LUMORA_COLOR_PROPERTY(backColor, setBackColor, BackColor)
LUMORA_COLOR_PROPERTY(foreColor, setForeColor, ForeColor)
LUMORA_COLOR_PROPERTY(foreColorActive, setForeColorActive, ForeColorActive)
LUMORA_COLOR_PROPERTY(foreColorHot, setForeColorHot, ForeColorHot)
LUMORA_COLOR_PROPERTY(backColorForm, setBackColorForm, BackColorForm)
LUMORA_COLOR_PROPERTY(frameColor, setFrameColor, FrameColor)
LUMORA_COLOR_PROPERTY(maskColor, setMaskColor, MaskColor)
LUMORA_COLOR_PROPERTY(mouseMoveColor0, setMouseMoveColor0, MouseMoveColor0)
LUMORA_COLOR_PROPERTY(mouseMoveColor1, setMouseMoveColor1, MouseMoveColor1)
LUMORA_COLOR_PROPERTY(mouseMoveColor2, setMouseMoveColor2, MouseMoveColor2)
LUMORA_COLOR_PROPERTY(registerFocusColor0, setRegisterFocusColor0, RegisterFocusColor0)
LUMORA_COLOR_PROPERTY(registerFocusColor1, setRegisterFocusColor1, RegisterFocusColor1)
LUMORA_COLOR_PROPERTY(registerFocusColor2, setRegisterFocusColor2, RegisterFocusColor2)

#undef LUMORA_COLOR_PROPERTY

QFont HeaderStrip::captionFont() const {
    const LumoraListControl& control = site_->control();
    QFont font(ToQString(control.get_FontName()));
    font.setPointSizeF(control.get_FontSize() > 0 ? control.get_FontSize() : 8.0);
    font.setBold(control.get_FontBold() != kFalse);
    font.setItalic(control.get_FontItalic() != kFalse);
    font.setUnderline(control.get_FontUnderline() != kFalse);
    font.setStrikeOut(control.get_FontStrikethru() != kFalse);
    return font;
}

void HeaderStrip::setCaptionFont(const QFont& font) {
    LumoraListControl& control = site_->control();
    control.put_FontName(font.family().toStdU16String());
    if (font.pointSizeF() > 0) control.put_FontSize(static_cast<Single>(font.pointSizeF()));
    control.put_FontBold(ToBoolean(font.bold()));
    control.put_FontItalic(ToBoolean(font.italic()));
    control.put_FontUnderline(ToBoolean(font.underline()));
    control.put_FontStrikethru(ToBoolean(font.strikeOut()));
}

bool HeaderStrip::showFrame() const { return site_->control().get_ShowFrame() != kFalse; }
void HeaderStrip::setShowFrame(bool show) { site_->control().put_ShowFrame(ToBoolean(show)); }
bool HeaderStrip::showSortPic() const { return site_->control().get_ShowSortPic() != kFalse; }
void HeaderStrip::setShowSortPic(bool show) { site_->control().put_ShowSortPic(ToBoolean(show)); }
int HeaderStrip::alignment() const { return site_->control().get_Alignment(); }
void HeaderStrip::setAlignment(int alignment) { site_->control().put_Alignment(static_cast<eTabAlignment>(alignment)); }
int HeaderStrip::sortedRow() const { return site_->control().get_SortedRow(); }
void HeaderStrip::setSortedRow(int row) { site_->control().put_SortedRow(row); }
int HeaderStrip::selectedRow() const { return site_->control().get_SelectedRow(); }
void HeaderStrip::setSelectedRow(int row) { site_->control().put_SelectedRow(row); }
QString HeaderStrip::columnWidths() const { return ToQString(site_->control().get_ColumnWidths()); }
void HeaderStrip::setColumnWidths(const QString& widths) { site_->control().put_ColumnWidths(widths.toStdU16String()); }

int HeaderStrip::numberOfRows() const { return site_->control().get_NumberOfRows(); }
int HeaderStrip::rowWidth(int index) const { return site_->control().get_RowWidth(index); }
void HeaderStrip::setRowWidth(int index, int width) { site_->control().put_RowWidth(index, width); }
QString HeaderStrip::rowCaption(int index) const { return ToQString(site_->control().get_RowCaption(index)); }
void HeaderStrip::setRowCaption(int index, const QString& caption) {
    site_->control().put_RowCaption(index, caption.toStdU16String());
}
bool HeaderStrip::rowSorted(int index) const { return site_->control().get_RowSorted(index) != kFalse; }
void HeaderStrip::setRowSorted(int index, bool sorted) { site_->control().put_RowSorted(index, ToBoolean(sorted)); }

QPixmap HeaderStrip::rowPicture(int index) const {
    const PicturePtr picture = site_->control().get_RowPicture(index);
    QPixmap pixmap;
    if (!picture) return pixmap;
    const std::string bytes = soft::SoftPictures::ToFileBytes(*picture);
    pixmap.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<uint>(bytes.size()));
    return pixmap;
}

void HeaderStrip::setRowPicture(int index, const QPixmap& picture) {
    PicturePtr converted;
    if (!picture.isNull()) {
        // The surface reads pictures as their files; a .bmp keeps every pixel.
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        picture.toImage().convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP");
        converted = site_->pictureFiles().FromFileBytes(std::span(
            reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())));
    }
    site_->control().putref_RowPicture(index, converted);
}

int HeaderStrip::addRow(int width, const QString& caption, const QPixmap& picture) {
    Long columnWidth = width;
    String text = caption.toStdU16String();
    const int index = site_->control().AddRow(columnWidth, text);
    if (!picture.isNull()) setRowPicture(index, picture);
    return index;
}

void HeaderStrip::deleteRow() { site_->control().DeleteRow(); }

int HeaderStrip::hotRow() const { return site_->control().HotRow(); }

void HeaderStrip::drawTab() { site_->control().DrawTab(); }

// ------------------------------------------------------------- dialogs

bool HeaderStrip::showPropertyPages() {
    PropertySheet sheet(*this, this);
    return sheet.exec() == QDialog::Accepted;
}

void HeaderStrip::showAboutBox() { ShowAboutBoxDialog(this); }

// ------------------------------------------------------------- forms

void HeaderStrip::loadForm(const QString& path) {
    forms::JsonPropertyBag bag = forms::LoadFormFile(path.toStdU16String());
    site_->Load(bag);
}

void HeaderStrip::saveForm(const QString& path) const {
    const std::filesystem::path file = path.toStdU16String();
    if (forms::FormatForSaving(file, forms::FormFormat::Json) == forms::FormFormat::Stream) {
        forms::MemoryPropertyBag bag;
        site_->control().WriteProperties(bag);
        forms::SaveStreamAs(forms::FormStreamOfBag(bag, file), file, forms::FormFormat::Stream);
        return;
    }
    forms::JsonPropertyBag bag;
    site_->control().WriteProperties(bag);
    bag.Save(file);
}

QByteArray HeaderStrip::toFormJson() const {
    forms::JsonPropertyBag bag;
    site_->control().WriteProperties(bag);
    const std::string json = forms::JsonOf(bag).dump(2);
    return QByteArray(json.data(), static_cast<qsizetype>(json.size()));
}

void HeaderStrip::loadFormJson(const QByteArray& json) {
    forms::JsonPropertyBag bag = forms::JsonPropertyBag::FromText(json.toStdString(), kFormBytes);
    site_->Load(bag);
}

QString HeaderStrip::formJsonText() const { return QString::fromUtf8(toFormJson()); }

void HeaderStrip::setFormJsonText(const QString& json) {
    try {
        loadFormJson(json.toUtf8());
    } catch (const forms::FormFileError&) {
        // The strip stays as it was.
    }
}

void HeaderStrip::saveSettings(QSettings& settings, const QString& key) const { settings.setValue(key, toFormJson()); }

bool HeaderStrip::loadSettings(const QSettings& settings, const QString& key) {
    const QVariant value = settings.value(key);
    if (!value.canConvert<QByteArray>()) return false;
    try {
        loadFormJson(value.toByteArray());
    } catch (const forms::FormFileError&) {
        return false;
    }
    return true;
}

}  // namespace Lumora

QDataStream& operator<<(QDataStream& out, const Lumora::HeaderStrip& strip) { return out << strip.toFormJson(); }

QDataStream& operator>>(QDataStream& in, Lumora::HeaderStrip& strip) {
    QByteArray json;
    in >> json;
    if (in.status() != QDataStream::Ok) return in;
    try {
        strip.loadFormJson(json);
    } catch (const lumora::forms::FormFileError&) {
        in.setStatus(QDataStream::ReadCorruptData);
    }
    return in;
}
