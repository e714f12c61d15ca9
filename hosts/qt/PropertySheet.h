// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <vector>

#include <QByteArray>
#include <QDialog>
#include <QPointer>

#include "QtPlatform.h"
#include "lumora/pages/Allgemein.h"
#include "lumora/pages/Register.h"
#include "lumora/pages/TabsC.h"
#include "lumora/pages/frmAbout.h"

class QDialogButtonBox;
class QPushButton;
class QTabWidget;

namespace Lumora {

class ElementWidgets;
class HeaderStrip;

// The About box as a modal dialog over its owner: the form's elements at
// their places and its caption as the title. OK, Escape and the close box
// unload the form.
class AboutBoxDialog final : public lumora::pages::IAboutBoxView {
public:
    explicit AboutBoxDialog(QWidget* owner = nullptr) noexcept : owner_(owner) {}

    void SetOwner(QWidget* owner) noexcept { owner_ = owner; }
    void ShowModal(lumora::pages::frmAbout& form) override;

private:
    QPointer<QWidget> owner_;
};

// Shows the control's About box modally over owner and returns once the
// user closed it.
void ShowAboutBoxDialog(QWidget* owner);

// One property page as a widget of the page's size, its elements at their
// places.
class PageWidget final : public QWidget, private lumora::pages::IPageView {
    Q_OBJECT

public:
    PageWidget(lumora::pages::PropertyPage& page, QWidget* parent = nullptr);
    ~PageWidget() override;

    lumora::pages::PropertyPage& page() const noexcept { return page_; }
    ElementWidgets& elements() const noexcept { return *elements_; }

signals:
    void changedUpdated(bool changed);

private:
    void ElementUpdated(const lumora::pages::Element& element, std::string_view property) override;
    void ChangedUpdated(bool changed) override { emit changedUpdated(changed); }

    lumora::pages::PropertyPage& page_;
    ElementWidgets* elements_;
};

// The strip's property sheet: the information, general and columns pages
// as tabs, with OK, Cancel and Apply. Apply is enabled while a page holds
// changes and applies the changed pages; OK applies them and closes.
// Cancel leaves the strip as it was when the sheet opened or last applied,
// also after the columns page added or removed a column.
class PropertySheet final : public QDialog {
    Q_OBJECT

public:
    explicit PropertySheet(HeaderStrip& strip, QWidget* parent = nullptr);
    ~PropertySheet() override;

    QTabWidget& tabs() const noexcept { return *tabs_; }
    QPushButton& applyButton() const noexcept { return *apply_; }
    PageWidget& pageWidget(int index) const { return *pageWidgets_.at(static_cast<std::size_t>(index)); }

    // The Apply button.
    void apply();
    void accept() override;
    void reject() override;

private:
    class StripSelection;

    void UpdateApply();
    // Runs a step of a page; a runtime error it lets through is shown.
    bool Run(const std::function<void()>& step);

    HeaderStrip& strip_;
    std::unique_ptr<StripSelection> selection_;
    QtMessageBoxes messages_;
    QtFileDialog fileDialog_;
    QtShell shell_;
    QtScreen screen_;
    AboutBoxDialog aboutView_;
    lumora::pages::AboutBox aboutBox_;
    std::vector<std::unique_ptr<lumora::pages::PropertyPage>> pages_;
    std::vector<PageWidget*> pageWidgets_;
    QTabWidget* tabs_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
    QPushButton* apply_ = nullptr;
    // The strip as Cancel brings it back.
    QByteArray snapshot_;
};

}  // namespace Lumora
