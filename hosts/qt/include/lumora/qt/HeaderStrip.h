// SPDX-License-Identifier: MIT
#pragma once

#include <memory>

#include <QByteArray>
#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include "lumora/qt/HeaderStripEvents.h"

class QDataStream;
class QSettings;

namespace Lumora {

class HeaderStripSite;
class PropertySheet;

// The header strip of a list as a Qt widget: column captions with access
// keys, widths, pictures, a hot, a pressed and a sorted look, and signals
// that tell which column was pressed and which way to sort. It draws exactly
// what the lumora tool draws for the same form, at 96 dots per inch.
//
// The widget's height follows headerHeight; its width is the container's.
class HeaderStrip : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int headerHeight READ headerHeight WRITE setHeaderHeight)
    Q_PROPERTY(QColor backColor READ backColor WRITE setBackColor)
    Q_PROPERTY(QColor foreColor READ foreColor WRITE setForeColor)
    Q_PROPERTY(QColor foreColorActive READ foreColorActive WRITE setForeColorActive)
    Q_PROPERTY(QColor foreColorHot READ foreColorHot WRITE setForeColorHot)
    Q_PROPERTY(QColor backColorForm READ backColorForm WRITE setBackColorForm)
    Q_PROPERTY(QColor frameColor READ frameColor WRITE setFrameColor)
    Q_PROPERTY(QColor maskColor READ maskColor WRITE setMaskColor)
    Q_PROPERTY(QColor mouseMoveColor0 READ mouseMoveColor0 WRITE setMouseMoveColor0)
    Q_PROPERTY(QColor mouseMoveColor1 READ mouseMoveColor1 WRITE setMouseMoveColor1)
    Q_PROPERTY(QColor mouseMoveColor2 READ mouseMoveColor2 WRITE setMouseMoveColor2)
    Q_PROPERTY(QColor registerFocusColor0 READ registerFocusColor0 WRITE setRegisterFocusColor0)
    Q_PROPERTY(QColor registerFocusColor1 READ registerFocusColor1 WRITE setRegisterFocusColor1)
    Q_PROPERTY(QColor registerFocusColor2 READ registerFocusColor2 WRITE setRegisterFocusColor2)
    Q_PROPERTY(QFont captionFont READ captionFont WRITE setCaptionFont)
    Q_PROPERTY(bool showFrame READ showFrame WRITE setShowFrame)
    Q_PROPERTY(bool showSortPic READ showSortPic WRITE setShowSortPic)
    Q_PROPERTY(int alignment READ alignment WRITE setAlignment)
    Q_PROPERTY(int sortedRow READ sortedRow WRITE setSortedRow)
    Q_PROPERTY(int selectedRow READ selectedRow WRITE setSelectedRow)
    Q_PROPERTY(QString columnWidths READ columnWidths WRITE setColumnWidths)
    Q_PROPERTY(int numberOfRows READ numberOfRows)
    // The whole state, columns included, for form designers' .ui files. It
    // stays the last property: the designer writes a widget's properties in
    // the order they are declared, so a form reads the whole state back
    // after the single ones (whose .ui forms may be coarser, such as a
    // font's whole point sizes).
    Q_PROPERTY(QString formJson READ formJsonText WRITE setFormJsonText)

public:
    explicit HeaderStrip(QWidget* parent = nullptr);
    ~HeaderStrip() override;

    int headerHeight() const;
    void setHeaderHeight(int pixels);

    // Colours read back as the screen shows them; a system colour the
    // strip was given reads as its present value.
    QColor backColor() const;
    void setBackColor(const QColor& color);
    QColor foreColor() const;
    void setForeColor(const QColor& color);
    QColor foreColorActive() const;
    void setForeColorActive(const QColor& color);
    QColor foreColorHot() const;
    void setForeColorHot(const QColor& color);
    QColor backColorForm() const;
    void setBackColorForm(const QColor& color);
    QColor frameColor() const;
    void setFrameColor(const QColor& color);
    QColor maskColor() const;
    void setMaskColor(const QColor& color);
    QColor mouseMoveColor0() const;
    void setMouseMoveColor0(const QColor& color);
    QColor mouseMoveColor1() const;
    void setMouseMoveColor1(const QColor& color);
    QColor mouseMoveColor2() const;
    void setMouseMoveColor2(const QColor& color);
    QColor registerFocusColor0() const;
    void setRegisterFocusColor0(const QColor& color);
    QColor registerFocusColor1() const;
    void setRegisterFocusColor1(const QColor& color);
    QColor registerFocusColor2() const;
    void setRegisterFocusColor2(const QColor& color);

    // The font of the captions (family, point size, bold, italic,
    // underline, strike-out).
    QFont captionFont() const;
    void setCaptionFont(const QFont& font);

    bool showFrame() const;
    void setShowFrame(bool show);
    bool showSortPic() const;
    void setShowSortPic(bool show);
    // 0 draws the strip; any other value is kept and draws nothing.
    int alignment() const;
    void setAlignment(int alignment);
    int sortedRow() const;
    void setSortedRow(int row);
    // Selecting a column raises rowPressed.
    int selectedRow() const;
    void setSelectedRow(int row);
    QString columnWidths() const;
    void setColumnWidths(const QString& widths);

    // Columns count from 1. A column that does not exist raises
    // std::runtime_error (the control's error 9) from the getters and
    // setters.
    int numberOfRows() const;
    int rowWidth(int index) const;
    void setRowWidth(int index, int width);
    QString rowCaption(int index) const;
    void setRowCaption(int index, const QString& caption);
    bool rowSorted(int index) const;
    void setRowSorted(int index, bool sorted);
    QPixmap rowPicture(int index) const;
    // A null pixmap takes the picture away.
    void setRowPicture(int index, const QPixmap& picture);

    // Adds a column at the right and returns its index.
    int addRow(int width, const QString& caption, const QPixmap& picture = QPixmap());
    // Removes the last column.
    void deleteRow();
    // The column under the pointer, 0 for none.
    int hotRow() const;
    // The column the keyboard acts on while the strip has the focus (Left,
    // Right, Home and End move it; Space and Enter press it), 0 without
    // columns.
    int focusedRow() const;
    // Presses a column for sorting as a click does, without mouse signals:
    // what Space, Enter and a screen reader's press action do. Returns false
    // for an index that names no column.
    bool pressRow(int index);
    // What a screen reader reads for a column: its caption without the
    // access-key marker, and "sorted ascending", "sorted descending" or ""
    // for its sort.
    QString spokenRowCaption(int index) const;
    QString rowSortDescription(int index) const;
    // Repaints the strip now.
    void drawTab();

    // The strip's state as a form file of the lumora tool: JSON or the
    // control's form stream, told apart by content. Loading reads the whole
    // file first: a file that cannot be read or is no form raises
    // std::runtime_error, whose one line says what the file is, and leaves
    // the strip as it was. Saving keeps the format the file holds; a new
    // file is a form stream when named .lumora, else JSON.
    void loadForm(const QString& path);
    void saveForm(const QString& path) const;
    QByteArray toFormJson() const;
    void loadFormJson(const QByteArray& json);
    // The same JSON as text; a text that is no form leaves the strip as it
    // was, so a damaged .ui file cannot break the widget.
    QString formJsonText() const;
    void setFormJsonText(const QString& json);
    void saveSettings(QSettings& settings, const QString& key) const;
    // Returns false, keeping the strip as it was, when the key holds no form.
    bool loadSettings(const QSettings& settings, const QString& key);

    // The design-time pages (information, general, columns) in a modal
    // property sheet; returns true when the user closed it with OK. Cancel
    // leaves the strip as it was when the sheet opened or last applied.
    bool showPropertyPages();
    // The control's About box, modal; links open through the desktop.
    void showAboutBox();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // Connect these directly (the default within one thread) to change the
    // by-reference fields.
    void rowPressed(Lumora::RowPressedEvent* event);
    void mouseIn(Lumora::StripMouseEvent* event);
    void mouseOut(Lumora::StripMouseEvent* event);
    void mouseDown(Lumora::StripMouseDownEvent* event);
    void mouseUp(Lumora::StripMouseEvent* event);
    // The property sheet wrote its pages' changes into the strip (Apply or
    // OK).
    void pagesApplied();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class HeaderStripSite;
    friend class PropertySheet;
    friend class HeaderStripAccessible;
    friend class ColumnHeaderAccessible;
    std::unique_ptr<HeaderStripSite> site_;
};

}  // namespace Lumora

// The strip's state as its form's JSON.
QDataStream& operator<<(QDataStream& out, const Lumora::HeaderStrip& strip);
// Reads a form into the strip; a damaged one sets the stream's status and
// leaves the strip as it was.
QDataStream& operator>>(QDataStream& in, Lumora::HeaderStrip& strip);
