// SPDX-License-Identifier: MIT
#include "HeaderStripPlugin.h"

#include <QIcon>
#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QExtensionManager>

#include "HeaderStripTaskMenu.h"
#include "lumora/qt/HeaderStrip.h"

namespace Lumora {

HeaderStripPlugin::HeaderStripPlugin(QObject* parent) : QObject(parent) {}

QString HeaderStripPlugin::name() const { return QStringLiteral("Lumora::HeaderStrip"); }

QString HeaderStripPlugin::group() const { return QStringLiteral("Lumora"); }

QString HeaderStripPlugin::toolTip() const { return QStringLiteral("Column headers for a list"); }

QString HeaderStripPlugin::whatsThis() const {
    return QStringLiteral(
        "A strip of column headers with access keys, pictures and a sort triangle; "
        "it tells which column was pressed and which way to sort.");
}

QString HeaderStripPlugin::includeFile() const { return QStringLiteral("lumora/qt/HeaderStrip.h"); }

QIcon HeaderStripPlugin::icon() const { return {}; }

void HeaderStripPlugin::initialize(QDesignerFormEditorInterface* core) {
    if (initialized_) return;
    initialized_ = true;
    if (!core || !core->extensionManager()) return;
    QExtensionManager* manager = core->extensionManager();
    manager->registerExtensions(new HeaderStripTaskMenuFactory(manager), Q_TYPEID(QDesignerTaskMenuExtension));
}

QWidget* HeaderStripPlugin::createWidget(QWidget* parent) { return new HeaderStrip(parent); }

QString HeaderStripPlugin::domXml() const {
    return QStringLiteral(R"(<ui language="c++">
 <widget class="Lumora::HeaderStrip" name="headerStrip">
  <property name="geometry"><rect><x>0</x><y>0</y><width>320</width><height>25</height></rect></property>
 </widget>
</ui>
)");
}

}  // namespace Lumora
