// SPDX-License-Identifier: MIT
#include "HeaderStripTaskMenu.h"

#include <QtDesigner/QDesignerFormWindowCursorInterface>
#include <QtDesigner/QDesignerFormWindowInterface>

#include "lumora/qt/HeaderStrip.h"

namespace Lumora {

HeaderStripTaskMenu::HeaderStripTaskMenu(HeaderStrip* strip, QObject* parent)
    : QObject(parent), strip_(strip), editAction_(new QAction(tr("Eigenschaften..."), this)) {
    editAction_->setObjectName(QStringLiteral("lumoraEditProperties"));
    connect(editAction_, &QAction::triggered, this, &HeaderStripTaskMenu::editProperties);
}

bool HeaderStripTaskMenu::editProperties() {
    if (!strip_) return false;
    // Every Apply and the closing OK go to the form while the sheet is open,
    // so that each is a step the designer can undo.
    const QMetaObject::Connection applied =
        connect(strip_, &HeaderStrip::pagesApplied, this, &HeaderStripTaskMenu::WriteBackToForm);
    const bool accepted = strip_->showPropertyPages();
    disconnect(applied);
    return accepted;
}

void HeaderStripTaskMenu::WriteBackToForm() {
    if (!strip_) return;
    QDesignerFormWindowInterface* form = QDesignerFormWindowInterface::findFormWindow(strip_);
    if (!form || !form->cursor()) return;
    form->cursor()->setWidgetProperty(strip_, QStringLiteral("formJson"), strip_->formJsonText());
}

QObject* HeaderStripTaskMenuFactory::createExtension(QObject* object, const QString& iid, QObject* parent) const {
    if (iid != Q_TYPEID(QDesignerTaskMenuExtension)) return nullptr;
    auto* strip = qobject_cast<HeaderStrip*>(object);
    return strip ? new HeaderStripTaskMenu(strip, parent) : nullptr;
}

}  // namespace Lumora
