// SPDX-License-Identifier: MIT
#include <functional>
#include <memory>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPluginLoader>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QDesignerTaskMenuExtension>
#include <QtDesigner/QExtensionManager>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <gtest/gtest.h>

#include "DemoWindow.h"
#include "ModalWatchdog.h"
#include "PropertySheet.h"
#include "QtPlatform.h"
#include "Screenshots.h"
#include "lumora/qt/HeaderStrip.h"

namespace lumora::qt_tests {
namespace {

using Lumora::HeaderStrip;
using Lumora::PropertySheet;

// Pages of the sheet, in the order it shows them.
constexpr int kInfoPage = 0;
constexpr int kGeneralPage = 1;
constexpr int kColumnsPage = 2;

template <typename T>
T& Field(PropertySheet& sheet, int page, const char* name) {
    T* found = sheet.pageWidget(page).findChild<T*>(QString::fromLatin1(name));
    if (!found) throw std::runtime_error(std::string("no element ") + name);
    return *found;
}

// The user replaces a field's text by typing.
void TypeInto(QLineEdit& field, const QString& text) {
    field.setFocus();
    field.selectAll();
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(&field, ch.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Click, &field, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
    }
}

class PropertySheetTest : public testing::Test {
protected:
    PropertySheetTest() {
        strip.resize(320, strip.sizeHint().height());
        strip.setRowCaption(1, QStringLiteral("Name"));
        strip.setRowWidth(1, 100);
    }

    HeaderStrip strip;
};

TEST_F(PropertySheetTest, ShowsThePagesInOrderWithGermanTexts) {
    QPixmap picture(32, 24);
    picture.fill(Qt::red);
    strip.setRowPicture(1, picture);
    PropertySheet sheet(strip);
    sheet.show();
    ASSERT_EQ(sheet.tabs().count(), 3);
    EXPECT_EQ(sheet.tabs().tabText(kInfoPage), "Copyright / Info");
    EXPECT_EQ(sheet.tabs().tabText(kGeneralPage), "Allgemein");
    EXPECT_EQ(sheet.tabs().tabText(kColumnsPage), "Header-Spalten");
    // The general page counts itself changed once it shows a control.
    EXPECT_TRUE(sheet.applyButton().isEnabled());
    // The columns page opens at the first column, placed as on Windows
    // (15 twips a pixel).
    auto& caption = Field<QLineEdit>(sheet, kColumnsPage, "txt(0)");
    EXPECT_EQ(caption.text(), "Name");
    EXPECT_EQ(caption.geometry(), QRect(130, 40, 241, 19));
    EXPECT_EQ(Field<QLineEdit>(sheet, kColumnsPage, "txt(1)").text(), "100");
    EXPECT_EQ(Field<QPushButton>(sheet, kColumnsPage, "cmdAddTab").text(), QString::fromUtf8("Hinzufügen"));
    EXPECT_EQ(Field<QCheckBox>(sheet, kGeneralPage, "chkFrame").text(), "Show Frame");
    // The picture box takes the column's picture's size and its border,
    // inside the frame.
    auto& pictureBox = Field<QWidget>(sheet, kColumnsPage, "picTab");
    EXPECT_EQ(pictureBox.geometry(), QRect(17, 108, 34, 26));
    EXPECT_EQ(pictureBox.grab().toImage().pixelColor(10, 10), QColor(Qt::red));

    const char* shots[] = {"page-info", "page-general", "page-columns"};
    for (int page = 0; page < 3; ++page) {
        sheet.tabs().setCurrentIndex(page);
        SaveShot(sheet.pageWidget(page), QString::fromLatin1(shots[page]));
    }
    sheet.tabs().setCurrentIndex(kColumnsPage);
    SaveShot(sheet, QStringLiteral("sheet"));
}

TEST_F(PropertySheetTest, ColumnsPageAddsAColumnThatApplyWritesIntoTheStrip) {
    PropertySheet sheet(strip);
    sheet.show();
    sheet.tabs().setCurrentIndex(kColumnsPage);
    QTest::mouseClick(&Field<QPushButton>(sheet, kColumnsPage, "cmdAddTab"), Qt::LeftButton);
    ASSERT_EQ(strip.numberOfRows(), 2);
    EXPECT_EQ(Field<QLineEdit>(sheet, kColumnsPage, "txtIndex").text(), "2");
    TypeInto(Field<QLineEdit>(sheet, kColumnsPage, "txt(0)"), QStringLiteral("Größe"));
    TypeInto(Field<QLineEdit>(sheet, kColumnsPage, "txt(1)"), QStringLiteral("80"));
    ASSERT_TRUE(sheet.applyButton().isEnabled());

    int applied = 0;
    QObject::connect(&strip, &HeaderStrip::pagesApplied, [&] { ++applied; });
    QTest::mouseClick(&sheet.applyButton(), Qt::LeftButton);
    EXPECT_EQ(applied, 1);
    EXPECT_EQ(strip.rowCaption(2), QString::fromUtf8("Größe"));
    EXPECT_EQ(strip.rowWidth(2), 80);
    EXPECT_FALSE(sheet.applyButton().isEnabled());
    // What was applied stays when the sheet is then cancelled.
    sheet.reject();
    EXPECT_EQ(strip.numberOfRows(), 2);
    EXPECT_EQ(strip.rowCaption(2), QString::fromUtf8("Größe"));
}

TEST_F(PropertySheetTest, GeneralPageSetsHeightAndFrameThroughTheModalSheetsOk) {
    const bool frame = strip.showFrame();
    const ModalAnswer answer = WhenModal(QStringLiteral("PropertySheet"), [&](QWidget& modal) {
        auto& sheet = static_cast<PropertySheet&>(modal);
        sheet.tabs().setCurrentIndex(kGeneralPage);
        TypeInto(Field<QLineEdit>(sheet, kGeneralPage, "txtHeight"), QStringLiteral("30"));
        QTest::mouseClick(&Field<QCheckBox>(sheet, kGeneralPage, "chkFrame"), Qt::LeftButton);
        EXPECT_EQ(Field<QCheckBox>(sheet, kGeneralPage, "chkFrame").isChecked(), !frame);
        sheet.accept();
    });
    EXPECT_TRUE(strip.showPropertyPages());
    EXPECT_EQ(strip.headerHeight(), 30);
    EXPECT_EQ(strip.height(), 30);
    EXPECT_EQ(strip.showFrame(), !frame);
}

TEST_F(PropertySheetTest, CancelLeavesTheStripAsItWas) {
    const QByteArray before = strip.toFormJson();
    const ModalAnswer answer = WhenModal(QStringLiteral("PropertySheet"), [&](QWidget& modal) {
        auto& sheet = static_cast<PropertySheet&>(modal);
        TypeInto(Field<QLineEdit>(sheet, kGeneralPage, "txtHeight"), QStringLiteral("40"));
        QTest::mouseClick(&Field<QCheckBox>(sheet, kGeneralPage, "chkSortPics"), Qt::LeftButton);
        // Adding and removing columns reaches the strip at once.
        QTest::mouseClick(&Field<QPushButton>(sheet, kColumnsPage, "cmdAddTab"), Qt::LeftButton);
        TypeInto(Field<QLineEdit>(sheet, kColumnsPage, "txt(0)"), QStringLiteral("Neu"));
        EXPECT_EQ(strip.numberOfRows(), 2);
        QTest::keyClick(&sheet, Qt::Key_Escape);
    });
    EXPECT_FALSE(strip.showPropertyPages());
    EXPECT_EQ(strip.toFormJson(), before);
    EXPECT_EQ(strip.numberOfRows(), 1);
}

// The user picks a file in the dialog the columns page opens.
ModalAnswer WhenFileDialogPick(const QString& path) {
    return WhenModalOf<QFileDialog>([path](QFileDialog& dialog) {
        dialog.selectFile(path);
        // selectFile leaves the name field alone once it has the focus,
        // which it gets at a moment of its own: the path goes in as typed.
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(path);
        // As the dialog's Open button does.
        static_cast<QDialog&>(dialog).accept();
    });
}

TEST_F(PropertySheetTest, PictureChosenInTheFileDialogReachesTheColumnOnApply) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QImage picture(8, 6, QImage::Format_RGB888);
    picture.fill(QColor(20, 160, 60));
    picture.setPixelColor(0, 0, QColor(250, 250, 0));
    ASSERT_TRUE(picture.save(folder.filePath("green.bmp"), "BMP"));
    PropertySheet sheet(strip);
    sheet.show();
    sheet.tabs().setCurrentIndex(kColumnsPage);

    {
        const ModalAnswer pick = WhenFileDialogPick(folder.filePath("green.bmp"));
        QTest::mouseClick(&Field<QPushButton>(sheet, kColumnsPage, "cmdOpenDlg"), Qt::LeftButton);
    }
    EXPECT_TRUE(strip.rowPicture(1).isNull());
    QTest::mouseClick(&sheet.applyButton(), Qt::LeftButton);
    EXPECT_EQ(strip.rowPicture(1).toImage().convertToFormat(QImage::Format_RGB888), picture);

    // A file that is no picture is refused with the page's message, and the
    // column keeps the picture it has.
    QFile junk(folder.filePath("junk.bmp"));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("BM but no picture");
    junk.close();
    QString message;
    {
        const ModalAnswer pick = WhenFileDialogPick(junk.fileName());
        const ModalAnswer refusal = WhenModalOf<QMessageBox>([&](QMessageBox& box) {
            message = box.windowTitle() + " / " + box.text();
            box.accept();
        });
        QTest::mouseClick(&Field<QPushButton>(sheet, kColumnsPage, "cmdOpenDlg"), Qt::LeftButton);
    }
    EXPECT_TRUE(message.endsWith(QString::fromUtf8("Ungültiges Bild"))) << message.toStdString();
    EXPECT_FALSE(strip.rowPicture(1).isNull());
}

// Opens links without a desktop: remembers the last one.
class LinkCatcher : public QObject {
    Q_OBJECT
public:
    QUrl last;
public slots:
    void open(const QUrl& url) { last = url; }
};

TEST_F(PropertySheetTest, InfoButtonOpensTheAboutBoxModallyAndOkClosesIt) {
    LinkCatcher links;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &links, "open");
    PropertySheet sheet(strip);
    sheet.show();
    bool shown = false;
    const ModalAnswer answer = WhenModal(QStringLiteral("frmAbout"), [&](QWidget& box) {
        shown = true;
        EXPECT_EQ(box.windowTitle(), "Info zu Lumora List Control");
        EXPECT_EQ(box.size(), QSize(369, 357));
        SaveShot(box, QStringLiteral("about-box"));
        auto* homepage = box.findChild<QWidget*>(QStringLiteral("Label3"));
        ASSERT_NE(homepage, nullptr);
        QTest::mouseClick(homepage, Qt::LeftButton);
        EXPECT_EQ(links.last, QUrl(QStringLiteral("https://www.example.org/lumora/")));
        EXPECT_TRUE(box.isVisible());
        QTest::mouseClick(box.findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
    });
    QTest::mouseClick(&Field<QPushButton>(sheet, kInfoPage, "btnInfo"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
    EXPECT_TRUE(shown);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(DemoWindow, MenusOpenThePagesAndTheAboutBox) {
    Lumora::DemoWindow window;
    window.show();
    const int columns = window.strip().numberOfRows();
    const ModalAnswer pages = WhenModal(QStringLiteral("PropertySheet"), [](QWidget& sheet) {
        QTest::mouseClick(sheet.findChild<QPushButton*>(QStringLiteral("cmdAddTab")), Qt::LeftButton);
        qobject_cast<QDialog*>(&sheet)->accept();
    });
    window.findChild<QAction*>(QStringLiteral("actionProperties"))->trigger();
    // The list follows the strip's new column.
    EXPECT_EQ(window.strip().numberOfRows(), columns + 1);
    EXPECT_EQ(window.model().columnCount(), columns + 1);

    bool shown = false;
    const ModalAnswer about = WhenModal(QStringLiteral("frmAbout"), [&](QWidget& box) {
        shown = true;
        QTest::keyClick(&box, Qt::Key_Escape);
    });
    window.findChild<QAction*>(QStringLiteral("actionAbout"))->trigger();
    EXPECT_TRUE(shown);
}

TEST(FileDialogFilters, BecomeQtNameFilters) {
    const struct {
        std::string record;
        const char* filters;
    } cases[] = {
        {std::string("Alle Bild Dateien\0*.bmp;*.ico\0\0", 32), "Alle Bild Dateien (*.bmp *.ico)"},
        {std::string("A\0*.a\0B\0*.b\0\0", 14), "A (*.a);;B (*.b)"},
        // A name without its patterns is left out; the code page's umlauts
        // arrive as such.
        {std::string("Bilder \xFC\0*.bmp\0Rest\0", 20), "Bilder \xC3\xBC (*.bmp)"},
        {std::string(), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Lumora::NameFiltersOf(c.record).toStdString(), c.filters) << c.filters;
}

// A designer that offers nothing but the extensions.
class BareDesigner : public QDesignerFormEditorInterface {
public:
    BareDesigner() { setExtensionManager(new QExtensionManager(this)); }
};

TEST(DesignerPlugin, TaskMenuOpensThePagesForAStrip) {
    QPluginLoader loader(QStringLiteral(LUMORA_DESIGNER_PLUGIN));
    auto* plugin = qobject_cast<QDesignerCustomWidgetInterface*>(loader.instance());
    ASSERT_NE(plugin, nullptr) << loader.errorString().toStdString();
    BareDesigner designer;
    plugin->initialize(&designer);
    // The plugin's own copy of the widget, as the designer creates it.
    const std::unique_ptr<QWidget> strip(plugin->createWidget(nullptr));
    QWidget other;
    QExtensionManager* manager = designer.extensionManager();
    EXPECT_EQ(qt_extension<QDesignerTaskMenuExtension*>(manager, &other), nullptr);
    auto* menu = qt_extension<QDesignerTaskMenuExtension*>(manager, strip.get());
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->taskActions().size(), 1);
    EXPECT_EQ(menu->preferredEditAction(), menu->taskActions().front());

    // Outside a form the pages still open and apply to the strip.
    const ModalAnswer answer = WhenModal(QStringLiteral("PropertySheet"), [](QWidget& sheet) {
        auto* height = sheet.findChild<QLineEdit*>(QStringLiteral("txtHeight"));
        ASSERT_NE(height, nullptr);
        height->selectAll();
        QTest::keyClicks(height, QStringLiteral("33"));
        qobject_cast<QDialog*>(&sheet)->accept();
    });
    menu->preferredEditAction()->trigger();
    EXPECT_EQ(strip->property("headerHeight").toInt(), 33);
}

}  // namespace
}  // namespace lumora::qt_tests

#include "PropertyPagesTest.moc"
