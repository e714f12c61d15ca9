// SPDX-License-Identifier: MIT
#pragma once

#include <QAccessibleWidget>
#include <QPointer>
#include <QString>
#include <vector>

namespace Lumora {

class HeaderStrip;

// Makes Qt's accessibility ask this file for a strip's interface; safe to
// call more than once.
void InstallStripAccessibility();

// What assistive technology sees of a strip: a list of column headers, as
// the system's own header control shows itself, one child per column.
class HeaderStripAccessible final : public QAccessibleWidget {
public:
    explicit HeaderStripAccessible(HeaderStrip* strip);
    ~HeaderStripAccessible() override;

    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

private:
    HeaderStrip* strip() const;

    // Children are made when first asked for and live as long as this
    // interface; a child whose column is gone reports itself invalid.
    mutable std::vector<QAccessible::Id> children_;
};

// One column header: its caption without the access-key marker as its
// name, its sort direction as its description, pressed and focused states,
// and a press action that sorts by it.
class ColumnHeaderAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    ColumnHeaderAccessible(HeaderStrip* strip, int column);

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ColumnHeader; }
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QStringList actionNames() const override;
    void doAction(const QString& actionName) override;
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<HeaderStrip> strip_;
    int column_;
};

// Tells assistive technology what changed since the strip last painted:
// the focused column while the strip has the focus, and each column whose
// sort description or pressed state changed.
class StripAnnouncer {
public:
    // Announcing starts once a client has asked for the strip's interface,
    // or the platform's accessibility is on; before that no one listens.
    void Watch() noexcept { watched_ = true; }
    void Announce(HeaderStrip& strip);

    // Where the events go: Qt's accessibility, which passes them on only
    // while a client is connected; tests put a recorder in its place.
    // Returns the previous one; null restores Qt's.
    using Deliver = void (*)(QAccessibleEvent* event);
    static Deliver DeliverThrough(Deliver deliver);

private:
    struct Shown {
        QString description;
        bool pressed = false;
        friend bool operator==(const Shown&, const Shown&) = default;
    };
    std::vector<Shown> columns_;
    int focused_ = 0;
    bool known_ = false;
    bool watched_ = false;
    static Deliver deliver_;
};

}  // namespace Lumora
