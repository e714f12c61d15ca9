// SPDX-License-Identifier: MIT
#include "lumora/qt/HeaderStrip.h"

#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QMetaProperty>
#include <QPluginLoader>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QUiLoader>
#include <QVBoxLayout>
#include <QtDesigner/QFormBuilder>
#include <QtUiPlugin/QDesignerCustomWidgetInterface>

#include <gtest/gtest.h>

#include "HeaderStripAccessible.h"
#include "PointerReplay.h"
#include "RenderCommand.h"
#include "forms/JsonForm.h"
#include "lumora/headless/HeadlessHost.h"
#include "qt/GalleryForms.h"

namespace lumora::qt_tests {
namespace {

using Lumora::HeaderStrip;
using Log = std::vector<std::string>;

std::string Number(float value) {
    QString text = QString::number(value, 'g', 9);
    return text.toStdString();
}

std::string Mouse(const char* name, const Lumora::StripMouseEvent& e) {
    return std::string(name) + " " + std::to_string(e.button) + " " + std::to_string(e.shift) + " " + Number(e.x) +
           " " + Number(e.y) + " " + std::to_string(e.sortRow);
}

// Writes down the strip's signals as the headless host logs the events.
void Record(HeaderStrip& strip, Log& log) {
    QObject::connect(&strip, &HeaderStrip::rowPressed, [&log](Lumora::RowPressedEvent* e) {
        log.push_back("RowPressed " + std::to_string(e->previousTab) + " " + std::to_string(e->sortRow) + " " +
                      e->sort.toStdString());
    });
    QObject::connect(&strip, &HeaderStrip::mouseIn, [&log](auto* e) { log.push_back(Mouse("MouseIn", *e)); });
    QObject::connect(&strip, &HeaderStrip::mouseOut, [&log](auto* e) { log.push_back(Mouse("MouseOut", *e)); });
    QObject::connect(&strip, &HeaderStrip::mouseDown,
                     [&log](auto* e) { log.push_back(Mouse("MouseDown", *e) + " " + e->sort.toStdString()); });
    QObject::connect(&strip, &HeaderStrip::mouseUp, [&log](auto* e) { log.push_back(Mouse("MouseUp", *e)); });
}

// The events the headless host records for the same script on the same form.
Log HeadlessEvents(const QString& form, const std::string& script, int width) {
    forms::JsonPropertyBag bag = forms::JsonBag(nlohmann::ordered_json::parse(form.toStdString()));
    headless::HeadlessHost host(width, 25);
    bag.SetPictureFiles(&host.pictureFiles());
    host->ReadProperties(bag);
    host.SetClientSize(width, host.clientRect().bottom);
    host.TakeLog();
    Integer held = 0;
    for (const cli::ScriptEvent& event : cli::ParseEventScript(script)) {
        if (event.kind == cli::ScriptEvent::Kind::Move) host.MoveMouse(event.x, event.y, held);
        if (event.kind == cli::ScriptEvent::Kind::Down) {
            held = static_cast<Integer>(held | event.button);
            host.PressMouse(event.x, event.y, event.button);
        }
        if (event.kind == cli::ScriptEvent::Kind::Up) {
            held = static_cast<Integer>(held & ~event.button);
            host.ReleaseMouse(event.x, event.y, event.button);
        }
    }
    Log events;
    for (const std::string& line : host.log())
        if (line.starts_with("Mouse") || line.starts_with("RowPressed")) events.push_back(line);
    return events;
}

// A strip with the gallery's three columns at the top of a shown window.
class ShownStrip : public testing::Test {
protected:
    static constexpr int kWidth = 300;

    void SetUp() override {
        form_ = GalleryForm(25, true, QStringLiteral("Größe"), 80);
        window_.resize(kWidth, 120);
        auto* layout = new QVBoxLayout(&window_);
        layout->setContentsMargins(0, 0, 0, 0);
        strip_ = new HeaderStrip;
        strip_->loadFormJson(form_.toUtf8());
        edit_ = new QLineEdit;
        layout->addWidget(strip_);
        layout->addWidget(edit_);
        layout->addStretch();
        window_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
        Record(*strip_, log_);
    }

    QString form_;
    QWidget window_;
    HeaderStrip* strip_ = nullptr;
    QLineEdit* edit_ = nullptr;
    Log log_;
};

TEST_F(ShownStrip, QtPointerGivesTheEventsTheControlRaisesOnItsOwnHost) {
    // Onto column 2, press, release, leave, and on outside.
    const std::string script = "move 140 12; down 140 12; up 140 12; move 140 30; move 150 60; move 10 80";
    Lumora::ReplayOnStrip(*strip_, script);
    // Name, Button, Shift, X, Y, SortRow (and Sort); RowPressed: PreviousTab,
    // SortRow, Sort. The press selects column 2 before MouseDown reports it;
    // the first move below the strip ends it, and the moves after hear
    // nothing.
    const Log expected = {
        "MouseIn 0 0 140 12 0", "RowPressed 0 2 ASC",    "MouseDown 1 0 140 12 2 ASC",
        "MouseUp 1 0 140 12 2", "MouseOut 0 0 140 30 2",
    };
    EXPECT_EQ(log_, expected);
    // The control on its own host raises the same.
    EXPECT_EQ(HeadlessEvents(form_, script, kWidth), expected);
}

TEST_F(ShownStrip, ButtonsAndModifiersArriveAsTheControlNumbersThem) {
    QWindow* window = window_.windowHandle();
    QTest::mouseMove(window, QPoint(50, 10));
    QTest::mousePress(window, Qt::RightButton, Qt::ShiftModifier | Qt::ControlModifier, QPoint(50, 10));
    QTest::mouseRelease(window, Qt::RightButton, Qt::AltModifier, QPoint(50, 10));
    ASSERT_GE(log_.size(), 3U);
    EXPECT_EQ(log_[log_.size() - 2].substr(0, 14), "MouseDown 2 3 ");
    EXPECT_EQ(log_.back().substr(0, 12), "MouseUp 2 4 ");
}

TEST_F(ShownStrip, WidgetCoveringTheStripTakesThePointerAway) {
    QWidget cover(&window_);
    cover.setGeometry(200, 0, 60, 25);
    cover.show();
    cover.raise();
    Lumora::ReplayOnStrip(*strip_, "move 150 12; move 210 12; move 220 12");
    ASSERT_EQ(log_.size(), 2U);
    EXPECT_EQ(log_[0].substr(0, 8), "MouseIn ");
    EXPECT_EQ(log_[1].substr(0, 9), "MouseOut ");
}

TEST_F(ShownStrip, LeavingWithoutAMoveOutsideGivesOneMouseOut) {
    // The pointer jumps onto another window: Qt says only that it left.
    Lumora::ReplayOnStrip(*strip_, "move 150 12");
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(strip_, &leave);
    QApplication::sendEvent(strip_, &leave);
    ASSERT_EQ(log_.size(), 2U);
    EXPECT_EQ(log_[1].substr(0, 9), "MouseOut ");
    EXPECT_EQ(strip_->hotRow(), 0);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST_F(ShownStrip, HandlerMovingThePointerMovesTheHotColumn) {
    // X and Y reach MouseIn by reference: the hot column is looked for where
    // the handler leaves them.
    QObject::connect(strip_, &HeaderStrip::mouseIn, [](Lumora::StripMouseEvent* e) { e->x = 200; });
    Lumora::ReplayOnStrip(*strip_, "move 50 12");
    EXPECT_EQ(strip_->hotRow(), 3);
}

TEST_F(ShownStrip, AccessKeyOfTheFirstCaptionFocusesTheStrip) {
    edit_->setFocus();
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    ASSERT_TRUE(edit_->hasFocus());
    QTest::keyClick(&window_, Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(strip_->hasFocus());
    // A new caption brings its own key and the old one goes.
    edit_->setFocus();
    strip_->setRowCaption(1, QStringLiteral("&Titel"));
    QTest::keyClick(&window_, Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(edit_->hasFocus());
    QTest::keyClick(&window_, Qt::Key_T, Qt::AltModifier);
    EXPECT_TRUE(strip_->hasFocus());
}

TEST_F(ShownStrip, AccessKeyInAnyScriptFocusesTheStrip) {
    strip_->setRowCaption(2, QStringLiteral("&Жук"));
    edit_->setFocus();
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    ASSERT_TRUE(edit_->hasFocus());
    QTest::sendKeyEvent(QTest::Click, &window_, static_cast<Qt::Key>(u'Ж'), QStringLiteral("ж"), Qt::AltModifier);
    EXPECT_TRUE(strip_->hasFocus());
    EXPECT_EQ(strip_->focusedRow(), 2) << "the focus lands on the key's column";
}

// ------------------------------------------------------------- keyboard

QImage ToolImage(const QString& form, const QString& events, int width) {
    QTemporaryDir folder;
    QFile file(folder.filePath("form.json"));
    if (!file.open(QIODevice::WriteOnly)) return {};
    file.write(form.toUtf8());
    file.close();
    QProcess tool;
    tool.start(QStringLiteral(LUMORA_CLI_PATH), {"render", file.fileName(), "-o", folder.filePath("tool.png"),
                                                 "--width", QString::number(width), "--events", events});
    if (!tool.waitForFinished(60000) || tool.exitCode() != 0) return {};
    return QImage(folder.filePath("tool.png")).convertToFormat(QImage::Format_RGB32);
}

QImage Grabbed(HeaderStrip& strip) { return strip.grab().toImage().convertToFormat(QImage::Format_RGB32); }

// How many pixels differ; -1 when the sizes do.
int DifferingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return -1;
    int differing = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) differing += a.pixel(x, y) != b.pixel(x, y);
    return differing;
}

TEST_F(ShownStrip, KeysSortAsClicksDoWithoutMouseSignals) {
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    strip_->setFocus(Qt::TabFocusReason);
    for (const Qt::Key key : {Qt::Key_Right, Qt::Key_Space, Qt::Key_Return, Qt::Key_End, Qt::Key_Home})
        QTest::keyClick(QApplication::focusWidget(), key);
    EXPECT_EQ(log_, (Log{"RowPressed 0 2 ASC", "RowPressed 2 2 DESC"}));
    EXPECT_EQ(strip_->sortedRow(), 2);
    EXPECT_FALSE(strip_->rowSorted(2));
    EXPECT_EQ(strip_->focusedRow(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(edit_->hasFocus()) << "Tab leaves the strip";
}

TEST_F(ShownStrip, FocusCueShowsAfterTheKeyboardAsTheToolDrawsIt) {
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    edit_->setFocus();
    strip_->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(DifferingPixels(Grabbed(*strip_), ToolImage(form_, "focus", kWidth)), 0) << "no cue for a click's focus";

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(DifferingPixels(Grabbed(*strip_), ToolImage(form_, "focus; key Right", kWidth)), 0);
    edit_->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(DifferingPixels(Grabbed(*strip_), ToolImage(form_, "", kWidth)), 0) << "the cue goes with the focus";
    strip_->setFocus(Qt::BacktabFocusReason);
    EXPECT_EQ(DifferingPixels(Grabbed(*strip_), ToolImage(form_, "focus; key Right; blur; key Tab", kWidth)), 0)
        << "the focus came back by keyboard onto the column it left";
}

// ------------------------------------------------------------- screen readers

std::vector<std::string>* recordedAccessibility = nullptr;

void RecordAccessibility(QAccessibleEvent* event) {
    if (!recordedAccessibility) return;
    QAccessibleInterface* target = event->accessibleInterface();
    const QAccessibleInterface* parent = target ? target->parent() : nullptr;
    const int column = parent ? parent->indexOfChild(target) + 1 : 0;
    const char* name = event->type() == QAccessible::StateChanged         ? "StateChanged"
                       : event->type() == QAccessible::DescriptionChanged ? "DescriptionChanged"
                       : event->type() == QAccessible::Focus              ? "Focus"
                                                                          : "Other";
    if (target && target->role() == QAccessible::ColumnHeader)
        recordedAccessibility->push_back(std::string(name) + " " + std::to_string(column));
}

TEST_F(ShownStrip, AssistiveTechnologySeesNamedColumnHeadersWithTheirSortState) {
    window_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    strip_->setRowCaption(3, QStringLiteral("Fish && &Chips"));
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(strip_);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::List);
    ASSERT_EQ(list->childCount(), 3);
    std::vector<std::string> names;
    for (int i = 0; i < 3; ++i) {
        QAccessibleInterface* column = list->child(i);
        ASSERT_NE(column, nullptr);
        EXPECT_EQ(column->role(), QAccessible::ColumnHeader);
        EXPECT_EQ(list->indexOfChild(column), i);
        EXPECT_EQ(column->parent(), list);
        EXPECT_EQ(column->text(QAccessible::Description), QString());
        EXPECT_TRUE(window_.geometry().contains(column->rect().center())) << i;
        names.push_back(column->text(QAccessible::Name).toStdString());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"Name", "Größe", "Fish & Chips"}));
    EXPECT_EQ(list->childAt(list->child(1)->rect().center().x(), list->child(1)->rect().center().y()), list->child(1));

    std::vector<std::string> events;
    recordedAccessibility = &events;
    const Lumora::StripAnnouncer::Deliver previous = Lumora::StripAnnouncer::DeliverThrough(RecordAccessibility);
    edit_->setFocus();
    strip_->drawTab();  // what a client reads first is no change

    QAccessibleActionInterface* press = list->child(1)->actionInterface();
    ASSERT_NE(press, nullptr);
    EXPECT_EQ(press->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});
    press->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(log_, Log{"RowPressed 0 2 ASC"}) << "the press sorts, with no mouse signal";
    EXPECT_EQ(list->child(1)->text(QAccessible::Description), QStringLiteral("sorted ascending"));
    press->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(list->child(1)->text(QAccessible::Description), QStringLiteral("sorted descending"));

    strip_->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    EXPECT_TRUE(list->child(2)->state().focused);
    EXPECT_FALSE(list->child(1)->state().focused);
    EXPECT_EQ(list->focusChild(), list->child(2));

    Lumora::StripAnnouncer::DeliverThrough(previous);
    recordedAccessibility = nullptr;
    // Each press shows the column pressed, then let go with its new sort.
    EXPECT_EQ(events,
              (std::vector<std::string>{"StateChanged 2", "StateChanged 2", "DescriptionChanged 2", "StateChanged 2",
                                        "StateChanged 2", "DescriptionChanged 2", "Focus 1", "Focus 3"}));
}

TEST(HeaderStripHeight, FollowsHeaderHeight) {
    HeaderStrip strip;
    strip.setHeaderHeight(40);
    EXPECT_EQ(strip.height(), 40);
    EXPECT_EQ(strip.sizeHint().height(), 40);
    EXPECT_EQ(strip.sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
}

// Every property away from what a new strip has, columns with pictures.
void Configure(HeaderStrip& strip) {
    const QMetaObject* meta = strip.metaObject();
    int shade = 10;
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        const QMetaProperty property = meta->property(i);
        if (property.typeId() == QMetaType::QColor)
            strip.setProperty(property.name(), QColor(shade, 2 * shade, 250 - shade));
        shade += 9;
    }
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(11.5);
    font.setBold(true);
    font.setItalic(true);
    font.setUnderline(true);
    strip.setCaptionFont(font);
    strip.setShowFrame(false);
    strip.setShowSortPic(true);
    strip.setHeaderHeight(31);
    strip.addRow(70, QStringLiteral("&Größe"));
    QPixmap picture(12, 9);
    picture.fill(QColor(200, 40, 20));
    strip.addRow(55, QStringLiteral("Datum"), picture);
    strip.setRowSorted(2, true);
    strip.setSortedRow(2);
    // ColumnWidths stays empty: the control reads it back before its
    // columns exist, so a saved list never survives a load.
}

void ExpectSameState(const HeaderStrip& saved, const HeaderStrip& loaded) {
    const QMetaObject* meta = saved.metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        const char* name = meta->property(i).name();
        EXPECT_EQ(saved.property(name), loaded.property(name)) << name;
    }
    for (int i = 1; i <= saved.numberOfRows(); ++i) {
        EXPECT_EQ(saved.rowCaption(i), loaded.rowCaption(i)) << i;
        EXPECT_EQ(saved.rowWidth(i), loaded.rowWidth(i)) << i;
        EXPECT_EQ(saved.rowSorted(i), loaded.rowSorted(i)) << i;
        EXPECT_EQ(saved.rowPicture(i).toImage(), loaded.rowPicture(i).toImage()) << i;
    }
    EXPECT_EQ(saved.toFormJson(), loaded.toFormJson());
}

TEST(HeaderStripForms, RoundTripsKeepEveryProperty) {
    HeaderStrip saved;
    Configure(saved);
    ASSERT_FALSE(saved.rowPicture(3).isNull());
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());

    HeaderStrip fromFile;
    saved.saveForm(folder.filePath("strip.json"));
    fromFile.loadForm(folder.filePath("strip.json"));
    ExpectSameState(saved, fromFile);

    HeaderStrip fromStream;
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << saved;
    QDataStream in(bytes);
    in >> fromStream;
    EXPECT_EQ(in.status(), QDataStream::Ok);
    ExpectSameState(saved, fromStream);

    HeaderStrip fromSettings;
    QSettings settings(folder.filePath("strip.ini"), QSettings::IniFormat);
    saved.saveSettings(settings, QStringLiteral("strip"));
    settings.sync();
    EXPECT_TRUE(fromSettings.loadSettings(QSettings(folder.filePath("strip.ini"), QSettings::IniFormat), "strip"));
    ExpectSameState(saved, fromSettings);
}

// The first bytes of a file.
QByteArray Start(const QString& path, int count) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(count) : QByteArray();
}

TEST(HeaderStripForms, StreamsKeepEveryPropertyAndASaveKeepsTheFormatTheFileHolds) {
    HeaderStrip saved;
    Configure(saved);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString stream = folder.filePath("strip.lumora");
    saved.saveForm(stream);
    EXPECT_EQ(Start(stream, 4), "LFST");
    HeaderStrip fromStream;
    fromStream.loadForm(stream);
    ExpectSameState(saved, fromStream);

    // A file's content decides, not its name.
    const QString streamNamedJson = folder.filePath("stream.json");
    ASSERT_TRUE(QFile::copy(stream, streamNamedJson));
    const QString jsonNamedStream = folder.filePath("json.lumora");
    saved.saveForm(folder.filePath("strip.json"));
    ASSERT_TRUE(QFile::copy(folder.filePath("strip.json"), jsonNamedStream));
    HeaderStrip other;
    other.saveForm(streamNamedJson);
    other.saveForm(jsonNamedStream);
    EXPECT_EQ(Start(streamNamedJson, 4), "LFST");
    EXPECT_EQ(Start(jsonNamedStream, 1), "{");
    HeaderStrip reloaded;
    reloaded.loadForm(streamNamedJson);
    EXPECT_EQ(reloaded.toFormJson(), other.toFormJson());
}

TEST(HeaderStripForms, DamagedFormLeavesTheStripAsItWas) {
    HeaderStrip strip;
    Configure(strip);
    const QByteArray before = strip.toFormJson();
    EXPECT_THROW(strip.loadFormJson("{\"HeaderHeight\": 3"), std::runtime_error);
    EXPECT_THROW(strip.loadFormJson("[1, 2]"), std::runtime_error);
    EXPECT_THROW(strip.loadFormJson(QByteArray(100000, '[')), std::runtime_error);
    EXPECT_THROW(strip.loadForm(QStringLiteral("/nonexistent/strip.json")), std::runtime_error);
    // A damaged .ui file sets the property quietly.
    strip.setProperty("formJson", QStringLiteral("{\"NumberOfTabs\": "));

    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << QByteArray("not a form");
    QDataStream in(bytes);
    in >> strip;
    EXPECT_EQ(in.status(), QDataStream::ReadCorruptData);
    QDataStream truncated(QByteArray("\x00\x00\x01", 3));
    truncated >> strip;
    EXPECT_NE(truncated.status(), QDataStream::Ok);
    EXPECT_EQ(strip.toFormJson(), before);
}

// The plugin holds a copy of the widget's code of its own, so the tests
// know its widgets by class name and talk to them through properties.
constexpr const char* kStripClass = "Lumora::HeaderStrip";

TEST(DesignerPlugin, LoadsAndCreatesTheStrip) {
    QPluginLoader loader(QStringLiteral(LUMORA_DESIGNER_PLUGIN));
    auto* plugin = qobject_cast<QDesignerCustomWidgetInterface*>(loader.instance());
    ASSERT_NE(plugin, nullptr) << loader.errorString().toStdString();
    EXPECT_EQ(plugin->name(), kStripClass);
    EXPECT_EQ(plugin->includeFile(), "lumora/qt/HeaderStrip.h");
    const std::unique_ptr<QWidget> widget(plugin->createWidget(nullptr));
    ASSERT_NE(widget, nullptr);
    EXPECT_STREQ(widget->metaObject()->className(), kStripClass);
    EXPECT_EQ(widget->property("numberOfRows").toInt(), 1);
}

// Loads a .ui file through the plugin: its widget named "strip" must be a
// strip with every property of the configured one.
void ExpectStripLoadsBackFrom(QByteArray ui, const HeaderStrip& configured) {
    QUiLoader loader;
    loader.clearPluginPaths();
    loader.addPluginPath(QFileInfo(QStringLiteral(LUMORA_DESIGNER_PLUGIN)).absolutePath());
    QBuffer file(&ui);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::unique_ptr<QWidget> form(loader.load(&file));
    ASSERT_NE(form, nullptr) << loader.errorString().toStdString();
    const QWidget* strip = form->findChild<QWidget*>(QStringLiteral("strip"));
    ASSERT_NE(strip, nullptr);
    ASSERT_STREQ(strip->metaObject()->className(), kStripClass);
    const QMetaObject* meta = configured.metaObject();
    for (int i = meta->propertyOffset(); i < meta->propertyCount(); ++i) {
        const char* name = meta->property(i).name();
        EXPECT_EQ(strip->property(name), configured.property(name)) << name;
    }
}

TEST(DesignerPlugin, UiFileLoadsBackAConfiguredStrip) {
    HeaderStrip configured;
    Configure(configured);
    // What the designer writes for a strip on a form.
    const QString ui = QStringLiteral(R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>Form</class>
 <widget class="QWidget" name="Form">
  <layout class="QVBoxLayout" name="layout">
   <item>
    <widget class="Lumora::HeaderStrip" name="strip">
     <property name="formJson"><string>%1</string></property>
    </widget>
   </item>
  </layout>
 </widget>
 <customwidgets>
  <customwidget>
   <class>Lumora::HeaderStrip</class>
   <extends>QWidget</extends>
   <header>lumora/qt/HeaderStrip.h</header>
  </customwidget>
 </customwidgets>
 <resources/>
 <connections/>
</ui>
)")
                           .arg(configured.formJsonText().toHtmlEscaped());
    ExpectStripLoadsBackFrom(ui.toUtf8(), configured);
}

// Qt's form writer as the designer uses it: the designer saves a widget's
// properties in the order its class declares them, so the strip's whole
// state (formJson, declared last) is read back last; the plain writer takes
// them in hash order.
class DesignerOrderWriter : public QFormBuilder {
protected:
    QList<DomProperty*> computeProperties(QObject* object) override {
        QList<DomProperty*> properties;
        const QMetaObject* meta = object->metaObject();
        for (int i = 0; i < meta->propertyCount(); ++i) {
            only_ = QLatin1String(meta->property(i).name());
            properties += QFormBuilder::computeProperties(object);
        }
        only_.clear();
        return properties;
    }
    bool checkProperty(QObject*, const QString& name) const override { return only_.isEmpty() || name == only_; }

private:
    // The one property the next pass of the plain writer may take.
    QString only_;
};

// A form the designer's writer saves, holding a configured strip, loads
// back through the plugin with every property of the strip.
TEST(DesignerPlugin, StripSavedByTheFormWriterLoadsBackTheSame) {
    QWidget form;
    form.setObjectName(QStringLiteral("Form"));
    auto* layout = new QVBoxLayout(&form);
    auto* configured = new HeaderStrip(&form);
    configured->setObjectName(QStringLiteral("strip"));
    Configure(*configured);
    layout->addWidget(configured);

    QByteArray ui;
    QBuffer written(&ui);
    ASSERT_TRUE(written.open(QIODevice::WriteOnly));
    DesignerOrderWriter writer;
    // The writer warns about every Qt property type it has no XML for
    // (focus policy, margins...); none of them is the strip's own.
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    writer.save(&written, &form);
    qInstallMessageHandler(previous);
    written.close();
    ASSERT_TRUE(ui.contains("formJson")) << ui.toStdString();

    ExpectStripLoadsBackFrom(ui, *configured);
}

}  // namespace
}  // namespace lumora::qt_tests
