// SPDX-License-Identifier: MIT
#include "HeaderStripAccessible.h"

#include <QWindow>
#include <utility>

#include "HeaderStripSite.h"
#include "lumora/qt/HeaderStrip.h"

namespace Lumora {
namespace {

QAccessibleInterface* StripInterface(const QString& className, QObject* object) {
    if (className != QLatin1String(HeaderStrip::staticMetaObject.className())) return nullptr;
    auto* strip = qobject_cast<HeaderStrip*>(object);
    return strip ? new HeaderStripAccessible(strip) : nullptr;
}

}  // namespace

void InstallStripAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(StripInterface);
        return true;
    }();
    (void)installed;
}

// ------------------------------------------------------------- the strip

HeaderStripAccessible::HeaderStripAccessible(HeaderStrip* strip) : QAccessibleWidget(strip, QAccessible::List) {
    strip->site_->announcer().Watch();
}

HeaderStripAccessible::~HeaderStripAccessible() {
    for (const QAccessible::Id id : children_) QAccessible::deleteAccessibleInterface(id);
}

HeaderStrip* HeaderStripAccessible::strip() const { return static_cast<HeaderStrip*>(widget()); }

int HeaderStripAccessible::childCount() const { return strip()->numberOfRows(); }

QAccessibleInterface* HeaderStripAccessible::child(int index) const {
    if (index < 0 || index >= childCount()) return nullptr;
    while (children_.size() <= static_cast<std::size_t>(index)) {
        const int column = static_cast<int>(children_.size()) + 1;
        children_.push_back(QAccessible::registerAccessibleInterface(new ColumnHeaderAccessible(strip(), column)));
    }
    return QAccessible::accessibleInterface(children_[static_cast<std::size_t>(index)]);
}

int HeaderStripAccessible::indexOfChild(const QAccessibleInterface* child) const {
    for (std::size_t i = 0; i < children_.size() && static_cast<int>(i) < childCount(); ++i)
        if (QAccessible::accessibleInterface(children_[i]) == child) return static_cast<int>(i);
    return -1;
}

QAccessibleInterface* HeaderStripAccessible::childAt(int x, int y) const {
    for (int i = 0; i < childCount(); ++i) {
        QAccessibleInterface* column = child(i);
        if (column && column->rect().contains(x, y)) return column;
    }
    return nullptr;
}

QAccessibleInterface* HeaderStripAccessible::focusChild() const {
    if (!strip()->hasFocus()) return nullptr;
    return child(strip()->focusedRow() - 1);
}

// ------------------------------------------------------------- a column

ColumnHeaderAccessible::ColumnHeaderAccessible(HeaderStrip* strip, int column) : strip_(strip), column_(column) {}

bool ColumnHeaderAccessible::isValid() const { return strip_ && column_ <= strip_->numberOfRows(); }

QWindow* ColumnHeaderAccessible::window() const { return strip_ ? strip_->window()->windowHandle() : nullptr; }

QAccessibleInterface* ColumnHeaderAccessible::parent() const {
    return strip_ ? QAccessible::queryAccessibleInterface(strip_.data()) : nullptr;
}

QString ColumnHeaderAccessible::text(QAccessible::Text t) const {
    if (!isValid()) return {};
    switch (t) {
        case QAccessible::Name:
            return strip_->spokenRowCaption(column_);
        case QAccessible::Description:
            return strip_->rowSortDescription(column_);
        default:
            return {};
    }
}

QRect ColumnHeaderAccessible::rect() const {
    if (!isValid()) return {};
    // Where the last paint laid the column out, on screen.
    const std::vector<lumora::Rect>& laidOut = strip_->site_->control().RowRects();
    if (static_cast<std::size_t>(column_) >= laidOut.size()) return {};
    const lumora::Rect& column = laidOut[static_cast<std::size_t>(column_)];
    const QPoint topLeft = strip_->mapToGlobal(QPoint(column.left, 0));
    return QRect(topLeft, QSize(column.right - column.left, strip_->height()));
}

QAccessible::State ColumnHeaderAccessible::state() const {
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    state.focusable = true;
    state.focused = strip_->hasFocus() && strip_->focusedRow() == column_;
    state.pressed = strip_->selectedRow() == column_;
    state.invisible = !strip_->isVisible();
    return state;
}

void* ColumnHeaderAccessible::interface_cast(QAccessible::InterfaceType type) {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
}

QStringList ColumnHeaderAccessible::actionNames() const {
    return isValid() ? QStringList{pressAction()} : QStringList{};
}

void ColumnHeaderAccessible::doAction(const QString& actionName) {
    if (actionName == pressAction() && isValid()) strip_->pressRow(column_);
}

// ------------------------------------------------------------- changes

StripAnnouncer::Deliver StripAnnouncer::deliver_ = &QAccessible::updateAccessibility;

StripAnnouncer::Deliver StripAnnouncer::DeliverThrough(Deliver deliver) {
    return std::exchange(deliver_, deliver ? deliver : &QAccessible::updateAccessibility);
}

void StripAnnouncer::Announce(HeaderStrip& strip) {
    if (!watched_ && !QAccessible::isActive()) return;
    const int count = strip.numberOfRows();
    std::vector<Shown> now(static_cast<std::size_t>(count));
    for (int column = 1; column <= count; ++column)
        now[static_cast<std::size_t>(column - 1)] = {strip.rowSortDescription(column), strip.selectedRow() == column};
    const int focused = strip.hasFocus() ? strip.focusedRow() : 0;
    if (!known_) {
        // What a client first reads needs no announcing.
        columns_ = std::move(now);
        focused_ = focused;
        known_ = true;
        return;
    }
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(&strip);
    if (!list) return;
    for (int i = 0; i < count; ++i) {
        const Shown& was =
            static_cast<std::size_t>(i) < columns_.size() ? columns_[static_cast<std::size_t>(i)] : Shown{};
        const Shown& is = now[static_cast<std::size_t>(i)];
        QAccessibleInterface* column = list->child(i);
        if (!column) continue;
        if (was.pressed != is.pressed) {
            QAccessible::State changed;
            changed.pressed = true;
            QAccessibleStateChangeEvent event(column, changed);
            deliver_(&event);
        }
        // While a press holds the column down its sort is not yet flipped;
        // the new direction is told once the column is let go.
        if (was.description != is.description && !is.pressed) {
            QAccessibleEvent event(column, QAccessible::DescriptionChanged);
            deliver_(&event);
        }
    }
    if (focused != focused_ && focused >= 1) {
        if (QAccessibleInterface* column = list->child(focused - 1)) {
            QAccessibleEvent event(column, QAccessible::Focus);
            deliver_(&event);
        }
    }
    // A description not told yet stays the one last told.
    for (std::size_t i = 0; i < now.size() && i < columns_.size(); ++i)
        if (now[i].pressed) now[i].description = columns_[i].description;
    columns_ = std::move(now);
    focused_ = focused;
}

}  // namespace Lumora
