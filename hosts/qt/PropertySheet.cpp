// SPDX-License-Identifier: MIT
#include "PropertySheet.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "ElementWidgets.h"
#include "HeaderStripSite.h"
#include "lumora/qt/HeaderStrip.h"
#include "lumora/runtime/RuntimeError.h"
#include "pages/Product.h"

namespace Lumora {
namespace {

using namespace lumora;
namespace pages = lumora::pages;

QString ToQString(const String& text) { return QString::fromStdU16String(text); }

// The form's client size in pixels.
QSize FormSize(pages::frmAbout& form) {
    const pages::Placement extent = form.ClientExtent();
    return QSize(Pixels(extent.Width), Pixels(extent.Height));
}

}  // namespace

// ------------------------------------------------------------- About box

void AboutBoxDialog::ShowModal(pages::frmAbout& form) {
    QDialog dialog(owner_ ? owner_->window() : nullptr);
    dialog.setObjectName(QStringLiteral("frmAbout"));
    dialog.setWindowTitle(ToQString(form.Caption()));
    dialog.setFixedSize(FormSize(form));
    auto* elements = new ElementWidgets(dialog, form.Elements());
    form.Observe(elements);
    // The logo's box reaches a few pixels into the title's: the title stays
    // whole above it.
    if (QWidget* title = elements->WidgetOf(form.lblTitle)) title->raise();
    elements->afterInput = [&form, &dialog] {
        if (!form.IsLoaded()) dialog.accept();
    };
    // Enter presses OK, which has the focus: the feature list then opens at
    // its first line, not selected.
    if (auto* ok = qobject_cast<QPushButton*>(elements->WidgetOf(form.cmdOK))) {
        ok->setDefault(true);
        ok->setFocus();
    }
    dialog.exec();
    form.Observe(nullptr);
    form.Unload();
}

void ShowAboutBoxDialog(QWidget* owner) {
    QtShell shell;
    QtScreen screen;
    AboutBoxDialog view(owner);
    pages::AboutBox box(view, shell, screen);
    box.Show();
}

// ------------------------------------------------------------- one page

PageWidget::PageWidget(pages::PropertyPage& page, QWidget* parent) : QWidget(parent), page_(page) {
    setObjectName(ToQString(page.Caption()));
    setFixedSize(Pixels(page.Width()), Pixels(page.Height()));
    elements_ = new ElementWidgets(*this, page.Elements());
    page.Observe(this);
}

PageWidget::~PageWidget() { page_.Observe(nullptr); }

void PageWidget::ElementUpdated(const pages::Element& element, std::string_view property) {
    elements_->ElementUpdated(element, property);
}

// ------------------------------------------------------------- the sheet

// The sheet edits one strip: the control it shows at the moment, which a
// form loaded into the strip replaces.
class PropertySheet::StripSelection final : public pages::ISelectedControls {
public:
    explicit StripSelection(HeaderStripSite& site) : site_(site) {}

    Long Count() override { return 1; }
    LumoraListControl& Item(Long index) override {
        if (index != 0) Raise(err::kSubscriptOutOfRange);
        return site_.control();
    }

private:
    HeaderStripSite& site_;
};

PropertySheet::PropertySheet(HeaderStrip& strip, QWidget* parent)
    : QDialog(parent),
      strip_(strip),
      selection_(std::make_unique<StripSelection>(*strip.site_)),
      aboutView_(this),
      aboutBox_(aboutView_, shell_, screen_),
      snapshot_(strip.toFormJson()) {
    setObjectName(QStringLiteral("PropertySheet"));
    setWindowTitle(tr("Eigenschaften"));
    messages_.SetOwner(this);
    fileDialog_.SetOwner(this);
    HeaderStripSite& site = *strip.site_;
    pages_.push_back(std::make_unique<pages::TabsC>(*selection_, aboutBox_));
    pages_.push_back(std::make_unique<pages::Allgemein>(*selection_, messages_));
    pages_.push_back(std::make_unique<pages::Register>(
        *selection_,
        pages::RegisterServices{messages_, fileDialog_, site.pictureFiles(), site.fileSystem(), site.iconSurface()}));

    tabs_ = new QTabWidget(this);
    for (const auto& page : pages_) {
        auto* widget = new PageWidget(*page, tabs_);
        pageWidgets_.push_back(widget);
        tabs_->addTab(widget, ToQString(page->Caption()));
        connect(widget, &PageWidget::changedUpdated, this, &PropertySheet::UpdateApply);
    }
    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    buttons_->button(QDialogButtonBox::Cancel)->setText(tr("Abbrechen"));
    apply_ = buttons_->button(QDialogButtonBox::Apply);
    apply_->setText(tr("Übernehmen"));
    connect(buttons_, &QDialogButtonBox::accepted, this, &PropertySheet::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &PropertySheet::reject);
    connect(apply_, &QPushButton::clicked, this, &PropertySheet::apply);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons_);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (const auto& page : pages_) Run([&] { page->SelectionChanged(); });
    UpdateApply();
}

PropertySheet::~PropertySheet() {
    // The page widgets stop observing before the pages go.
    delete tabs_;
}

bool PropertySheet::Run(const std::function<void()>& step) {
    try {
        step();
        return true;
    } catch (const RuntimeError& error) {
        const String text = FromUtf8(std::to_string(error.number())) + u"\r\n" + FromUtf8(error.description());
        ShowMessage(this, text, vbCritical, pages::product::kDefaultMessageTitle);
        return false;
    }
}

void PropertySheet::UpdateApply() {
    const bool changed =
        std::any_of(pages_.begin(), pages_.end(), [](const auto& page) { return page->get_Changed(); });
    apply_->setEnabled(changed);
}

void PropertySheet::apply() {
    const LumoraListControl* before = &strip_.site_->control();
    for (const auto& page : pages_) {
        if (!page->get_Changed()) continue;
        if (Run([&] { page->ApplyChanges(); })) page->put_Changed(false);
    }
    strip_.drawTab();
    emit strip_.pagesApplied();
    // A host that wrote the state back as a form gave the strip a new
    // control: the pages let go of the old one and show the new.
    if (&strip_.site_->control() != before)
        for (const auto& page : pages_) Run([&] { page->SelectionChanged(); });
    snapshot_ = strip_.toFormJson();
    UpdateApply();
}

void PropertySheet::accept() {
    apply();
    QDialog::accept();
}

void PropertySheet::reject() {
    // The columns page adds and removes columns at once; Cancel takes back
    // whatever reached the strip since the last Apply.
    if (strip_.toFormJson() != snapshot_) {
        for (const auto& page : pages_) page->Observe(nullptr);
        strip_.loadFormJson(snapshot_);
    }
    QDialog::reject();
}

}  // namespace Lumora
