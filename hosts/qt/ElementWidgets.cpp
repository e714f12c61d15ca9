// SPDX-License-Identifier: MIT
#include "ElementWidgets.h"

#include <algorithm>
#include <cmath>

#include <QApplication>
#include <QCheckBox>
#include <QEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include "QtArtwork.h"
#include "QtPlatform.h"
#include "lumora/runtime/RuntimeError.h"
#include "pages/Product.h"

namespace Lumora {
namespace {

using namespace lumora;
namespace pages = lumora::pages;

constexpr double kTwipsPerPixel = 15.0;
// A separator line is an etched edge this many pixels high.
constexpr int kLineHeight = 2;
// The pictures of the columns page's picture buttons.
constexpr int kButtonArtwork = 16;
// The system's colours as the runtime names them: the high bit marks a
// system colour index.
constexpr OLE_COLOR kSystemColourFlag = 0x80000000;
// The system colours the elements use: the window and the button face.
constexpr OLE_COLOR kButtonFace = 0x8000000F;
constexpr OLE_COLOR kWindowBackground = 0x80000005;

QString ToQString(const String& text) { return QString::fromStdU16String(text); }

QColor ColourOf(OLE_COLOR color, const QPalette& palette) {
    if (color == kButtonFace) return palette.color(QPalette::Button);
    if (color == kWindowBackground) return palette.color(QPalette::Base);
    if (color & kSystemColourFlag) return palette.color(QPalette::WindowText);
    return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                  static_cast<int>((color >> 16) & 0xFF));
}

// Faces with the narrow metrics of the pages' own, for systems that lack
// those: the pages were laid out for them, and a wider face cuts captions.
const QStringList kSansFallbacks = {QStringLiteral("Tahoma"), QStringLiteral("Arial"),
                                    QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans")};
const QStringList kFixedFallbacks = {QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                                     QStringLiteral("Nimbus Mono PS")};

QFont FontOf(const pages::TextLook& look) {
    QFont font;
    font.setPointSizeF(look.FontSize);
    font.setBold(look.Bold);
    font.setUnderline(look.Underline);
    // A typewriter face that the system lacks is replaced by another one of
    // fixed pitch, so that the feature list keeps its columns.
    const bool fixed = look.FontName.rfind(u"Courier", 0) == 0;
    font.setFamilies(QStringList{ToQString(look.FontName)} + (fixed ? kFixedFallbacks : kSansFallbacks));
    font.setStyleHint(fixed ? QFont::TypeWriter : QFont::SansSerif);
    font.setFixedPitch(fixed);
    return font;
}

// A picture at a screen's ratio, as the strip draws its pictures there:
// each pixel repeated at a whole ratio, which keeps it sharp, smoothed at a
// fractional one, so its pixels do not come out in uneven sizes.
QPixmap AtRatio(const QPixmap& picture, qreal ratio) {
    if (ratio == 1.0) return picture;
    const bool whole = std::floor(ratio) == ratio;
    QPixmap scaled = picture.scaled(picture.size() * ratio, Qt::IgnoreAspectRatio,
                                    whole ? Qt::FastTransformation : Qt::SmoothTransformation);
    scaled.setDevicePixelRatio(ratio);
    return scaled;
}

// A picture box: its background, then its picture at the top left, or its
// artwork filling it.
class PictureWidget final : public QFrame {
public:
    PictureWidget(const pages::PictureBox& box, QWidget* parent) : QFrame(parent), box_(box) {
        if (box.BorderStyle == 1) setFrameStyle(QFrame::Box | QFrame::Plain);
    }

    void PictureChanged() {
        pixmap_ = PixmapOf(box_.get_Picture());
        update();
    }
    const QPixmap& pixmap() const noexcept { return pixmap_; }

protected:
    void paintEvent(QPaintEvent* event) override {
        {
            QPainter painter(this);
            const QRect area = contentsRect();
            painter.fillRect(area, ColourOf(box_.BackColor, palette()));
            if (!pixmap_.isNull()) {
                painter.drawPixmap(area.topLeft(), AtRatio(pixmap_, devicePixelRatioF()));
            } else {
                PaintArtwork(painter, area, box_.Artwork());
            }
        }
        QFrame::paintEvent(event);
    }

private:
    const pages::PictureBox& box_;
    QPixmap pixmap_;
};

// A check box that takes a click anywhere in its place, as the pages' check
// boxes do, not only on its box and text.
class WholeCheckBox final : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    bool hitButton(const QPoint& position) const override { return rect().contains(position); }
};

// A push button showing its artwork centred rather than a caption.
QIcon ArtworkIcon(const String& artwork) {
    // Drawn at the finest screen's ratio, so the button is sharp there.
    const qreal ratio = qApp->devicePixelRatio();
    QPixmap pixmap(QSize(kButtonArtwork, kButtonArtwork) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    PaintArtwork(painter, QRect(0, 0, kButtonArtwork, kButtonArtwork), artwork);
    return QIcon(pixmap);
}

}  // namespace

int Pixels(Long twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }

QRect PixelRect(const pages::Element& element) {
    pages::Placement place = element.placement();
    if (const pages::Element* frame = element.Container()) {
        place.Left += frame->placement().Left;
        place.Top += frame->placement().Top;
    }
    const int height = element.Kind() == "Line" ? kLineHeight : Pixels(place.Height);
    return QRect(Pixels(place.Left), Pixels(place.Top), Pixels(place.Width), height);
}

ElementWidgets::ElementWidgets(QWidget& parent, const std::vector<pages::Element*>& elements)
    : QObject(&parent), parent_(parent) {
    for (pages::Element* element : elements)
        if (element->get_Visible()) Create(*element);
    // Elements inside a frame are its siblings, placed over it: they stay
    // above the frame's box.
    for (const Shown& shown : shown_)
        if (shown.element->Container() && shown.widget) shown.widget->raise();
}

ElementWidgets::~ElementWidgets() = default;

QWidget* ElementWidgets::MakeWidget(pages::Element& element) {
    const std::string_view kind = element.Kind();
    const QString caption = ToQString(element.get_Caption());
    if (kind == "Label") {
        auto* label = new QLabel(caption, &parent_);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        // A label as tall as two lines wraps its words; a one-line label
        // keeps its text on its line.
        label->setWordWrap(Pixels(element.placement().Height) >= 2 * QFontMetrics(FontOf(element.Look())).height());
        if (static_cast<const pages::Label&>(element).MousePointer == vbCustom)
            label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
        return label;
    }
    if (kind == "Frame") return new QGroupBox(caption, &parent_);
    if (kind == "Line") {
        auto* line = new QFrame(&parent_);
        line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
        return line;
    }
    if (kind == "CheckBox") {
        auto* check = new WholeCheckBox(caption, &parent_);
        connect(check, &QCheckBox::clicked, this, [this, &element, check] {
            AsUser([&] { static_cast<pages::CheckBox&>(element).Toggle(); });
            // The element decides what the box shows, also when its handler
            // failed.
            if (const Shown* shown = Find(check)) ShowState(*shown);
        });
        return check;
    }
    if (kind == "ScrollBar") {
        auto* bar = new QScrollBar(Qt::Horizontal, &parent_);
        // A click beside the thumb steps one column, as the arrows do.
        bar->setPageStep(1);
        connect(bar, &QScrollBar::valueChanged, this, [this, &element, bar](int value) {
            if (updating_) return;
            auto& scroll = static_cast<pages::ScrollBar&>(element);
            if (value != scroll.get_Value()) AsUser([&] { scroll.put_Value(static_cast<Integer>(value)); });
            if (const Shown* shown = Find(bar)) ShowState(*shown);
        });
        return bar;
    }
    if (kind == "Button") {
        auto* button = new QPushButton(caption, &parent_);
        button->setAutoDefault(false);
        if (!element.Artwork().empty()) {
            button->setText(QString());
            button->setIcon(ArtworkIcon(element.Artwork()));
            button->setIconSize(QSize(kButtonArtwork, kButtonArtwork));
        }
        connect(button, &QPushButton::clicked, this,
                [this, &element] { AsUser([&] { static_cast<pages::Button&>(element).Click(); }); });
        return button;
    }
    if (kind == "PictureBox") return new PictureWidget(static_cast<const pages::PictureBox&>(element), &parent_);
    auto& text = static_cast<pages::TextBox&>(element);
    if (text.MultiLine) {
        auto* edit = new QPlainTextEdit(&parent_);
        edit->setReadOnly(text.Locked);
        edit->setPlainText(ToQString(text.get_Text()));
        connect(edit, &QPlainTextEdit::textChanged, this, [this, &text, edit] {
            if (!updating_) AsUser([&] { text.put_Text(edit->toPlainText().toStdU16String()); });
        });
        return edit;
    }
    auto* edit = new QLineEdit(ToQString(text.get_Text()), &parent_);
    edit->setReadOnly(text.Locked);
    connect(edit, &QLineEdit::textChanged, this, [this, &text](const QString& typed) {
        if (!updating_) AsUser([&] { text.put_Text(typed.toStdU16String()); });
    });
    return edit;
}

void ElementWidgets::Create(pages::Element& element) {
    QWidget* widget = MakeWidget(element);
    widget->setObjectName(ToQString(element.FullName()));
    widget->setGeometry(PixelRect(element));
    widget->setFont(FontOf(element.Look()));
    if ((element.Look().ForeColor & kSystemColourFlag) == 0) {
        QPalette palette = widget->palette();
        palette.setColor(QPalette::WindowText, ColourOf(element.Look().ForeColor, palette));
        palette.setColor(QPalette::Text, ColourOf(element.Look().ForeColor, palette));
        widget->setPalette(palette);
    }
    widget->setEnabled(element.get_Enabled());
    if (!element.get_ToolTipText().empty()) widget->setToolTip(ToQString(element.get_ToolTipText()));
    widget->show();
    shown_.push_back(Shown{&element, widget});
    ShowState(shown_.back());
}

void ElementWidgets::ShowState(const Shown& shown) {
    if (!shown.widget) return;
    updating_ = true;
    if (const auto* check = dynamic_cast<const pages::CheckBox*>(shown.element)) {
        static_cast<QCheckBox*>(shown.widget.data())->setChecked(check->get_Value() == pages::CheckBox::vbChecked);
    } else if (const auto* bar = dynamic_cast<const pages::ScrollBar*>(shown.element)) {
        auto* scroll = static_cast<QScrollBar*>(shown.widget.data());
        scroll->setRange(std::min(bar->get_Min(), bar->get_Max()), std::max(bar->get_Min(), bar->get_Max()));
        scroll->setValue(bar->get_Value());
    } else if (dynamic_cast<const pages::PictureBox*>(shown.element)) {
        FitPicture(shown);
    }
    updating_ = false;
}

void ElementWidgets::FitPicture(const Shown& shown) {
    const auto& box = static_cast<const pages::PictureBox&>(*shown.element);
    auto* widget = static_cast<PictureWidget*>(shown.widget.data());
    widget->PictureChanged();
    QRect place = PixelRect(box);
    if (box.AutoSize && !widget->pixmap().isNull()) {
        const int border = box.BorderStyle == 1 ? 2 : 0;
        place.setSize(widget->pixmap().size() + QSize(border, border));
    }
    widget->setGeometry(place);
}

void ElementWidgets::ElementUpdated(const pages::Element& element, std::string_view property) {
    const auto found =
        std::find_if(shown_.begin(), shown_.end(), [&](const Shown& s) { return s.element == &element; });
    if (found == shown_.end() || !found->widget) return;
    QWidget* widget = found->widget;
    updating_ = true;
    if (property == "Text") {
        const QString text = ToQString(static_cast<const pages::TextBox&>(element).get_Text());
        // Text the page wrote while the user types keeps the cursor at its
        // end; text that did not change keeps the cursor where it is.
        if (auto* line = qobject_cast<QLineEdit*>(widget)) {
            if (line->text() != text) line->setText(text);
        } else if (auto* edit = qobject_cast<QPlainTextEdit*>(widget)) {
            if (edit->toPlainText() != text) edit->setPlainText(text);
        }
    } else if (property == "Caption") {
        const QString caption = ToQString(element.get_Caption());
        if (auto* label = qobject_cast<QLabel*>(widget)) label->setText(caption);
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) button->setText(caption);
        if (auto* frame = qobject_cast<QGroupBox*>(widget)) frame->setTitle(caption);
    } else if (property == "Enabled") {
        widget->setEnabled(element.get_Enabled());
    }
    updating_ = false;
    if (property != "Text" && property != "Caption" && property != "Enabled") ShowState(*found);
}

QWidget* ElementWidgets::WidgetOf(const pages::Element& element) const {
    for (const Shown& shown : shown_)
        if (shown.element == &element) return shown.widget;
    return nullptr;
}

const ElementWidgets::Shown* ElementWidgets::Find(const QObject* widget) const {
    for (const Shown& shown : shown_)
        if (shown.widget == widget) return &shown;
    return nullptr;
}

bool ElementWidgets::eventFilter(QObject* watched, QEvent* event) {
    // A label hears a click as the press and release of the left button
    // over it.
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const Shown* shown = Find(watched);
        auto* label = shown ? dynamic_cast<pages::Label*>(shown->element) : nullptr;
        if (label && mouse->button() == Qt::LeftButton && shown->widget->rect().contains(mouse->position().toPoint()) &&
            shown->widget->isEnabled()) {
            AsUser([label] { label->Click(); });
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void ElementWidgets::AsUser(const std::function<void()>& input) {
    try {
        input();
    } catch (const RuntimeError& error) {
        const String text = FromUtf8(std::to_string(error.number())) + u"\r\n" + FromUtf8(error.description());
        ShowMessage(parent_.window(), text, vbCritical, pages::product::kDefaultMessageTitle);
    }
    if (afterInput) afterInput();
}

}  // namespace Lumora
