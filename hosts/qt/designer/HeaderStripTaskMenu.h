// SPDX-License-Identifier: MIT
#pragma once

#include <QAction>
#include <QPointer>
#include <QtDesigner/QDesignerTaskMenuExtension>
#include <QtDesigner/QExtensionFactory>

namespace Lumora {

class HeaderStrip;

// The strip's entry in the form designer's context menu: it opens the
// strip's property pages, and what they apply reaches the form as a change
// of the strip's formJson property, which the designer can undo and marks
// the form modified for.
class HeaderStripTaskMenu final : public QObject, public QDesignerTaskMenuExtension {
    Q_OBJECT
    Q_INTERFACES(QDesignerTaskMenuExtension)

public:
    HeaderStripTaskMenu(HeaderStrip* strip, QObject* parent);

    QAction* preferredEditAction() const override { return editAction_; }
    QList<QAction*> taskActions() const override { return {editAction_}; }

    // Opens the pages; returns whether the user closed them with OK.
    bool editProperties();

private:
    // Hands the strip's present state to the form it sits on.
    void WriteBackToForm();

    QPointer<HeaderStrip> strip_;
    QAction* editAction_;
};

// Makes the task menu for every strip on a form.
class HeaderStripTaskMenuFactory final : public QExtensionFactory {
    Q_OBJECT

public:
    explicit HeaderStripTaskMenuFactory(QExtensionManager* parent = nullptr) : QExtensionFactory(parent) {}

protected:
    QObject* createExtension(QObject* object, const QString& iid, QObject* parent) const override;
};

}  // namespace Lumora
