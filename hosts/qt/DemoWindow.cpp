// SPDX-License-Identifier: MIT
#include "DemoWindow.h"

#include <stdexcept>

#include <QFileDialog>
#include <QHeaderView>
#include <QMenuBar>
#include <QMessageBox>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

#include "lumora/qt/HeaderStrip.h"

namespace Lumora {
namespace {

// Sample rows: enough to scroll, few enough to read.
constexpr int kSampleRows = 36;
// A column of the strip is its width plus a pixel of frame on each side.
constexpr int kColumnFrame = 2;

const char* const kNames[] = {"Angebot",   "Bericht",  "Chronik", "Dossier", "Entwurf", "Fazit",
                              "Gutachten", "Handbuch", "Index",   "Journal", "Katalog", "Liste"};

// A sample cell; numbers and dates sort as what they are, not as text.
QStandardItem* SampleCell(int row, int column) {
    auto* item = new QStandardItem;
    const int mixed = (row * 7919 + column * 104729) % 1000;
    switch (column % 3) {
        case 0:
            item->setText(QStringLiteral("%1 %2").arg(kNames[mixed % std::size(kNames)]).arg(row + 1));
            break;
        case 1:
            item->setData(mixed * 13 + row, Qt::DisplayRole);
            break;
        default:
            item->setData(QDate(2024, 1, 1).addDays(mixed), Qt::DisplayRole);
            break;
    }
    item->setEditable(false);
    return item;
}

}  // namespace

DemoWindow::DemoWindow(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(tr("Lumora header strip"));
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    strip_ = new HeaderStrip(central);
    SetUpColumns();
    model_ = new QStandardItemModel(this);
    list_ = new QTableView(central);
    list_->setModel(model_);
    list_->horizontalHeader()->hide();
    list_->verticalHeader()->hide();
    list_->setWordWrap(false);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    layout->addWidget(strip_);
    layout->addWidget(list_);
    setCentralWidget(central);
    connect(strip_, &HeaderStrip::rowPressed, this, [this](RowPressedEvent* event) {
        const int column = event->sortRow - 1;
        if (column < 0 || column >= model_->columnCount()) return;
        const Qt::SortOrder order = event->sort == QLatin1String("DESC") ? Qt::DescendingOrder : Qt::AscendingOrder;
        model_->sort(column, order);
        ShowSortOrder(column, order);
    });
    BuildMenus();
    FitListToStrip();
    resize(480, 360);
}

void DemoWindow::SetUpColumns() {
    // A new strip brings a column of its own; the demo names it and adds two.
    const struct {
        int width;
        QString caption;
    } columns[] = {{100, tr("&Name")}, {80, tr("&Größe")}, {90, tr("&Datum")}};
    for (int index = 1; index <= static_cast<int>(std::size(columns)); ++index) {
        const auto& column = columns[index - 1];
        if (index > strip_->numberOfRows()) {
            strip_->addRow(column.width, column.caption);
        } else {
            strip_->setRowWidth(index, column.width);
            strip_->setRowCaption(index, column.caption);
        }
    }
}

void DemoWindow::BuildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Open form..."), QKeySequence::Open, this, &DemoWindow::OpenForm);
    file->addAction(tr("&Save form as..."), QKeySequence::SaveAs, this, &DemoWindow::SaveForm);
    file->addSeparator();
    file->addAction(tr("&Quit"), QKeySequence::Quit, this, &QWidget::close);
    // The strip's own design-time pages; the list follows the columns they
    // leave.
    QMenu* strip = menuBar()->addMenu(tr("&Strip"));
    strip
        ->addAction(tr("&Properties..."), this,
                    [this] {
                        strip_->showPropertyPages();
                        FitListToStrip();
                    })
        ->setObjectName(QStringLiteral("actionProperties"));
    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(tr("&About the header strip..."), strip_, &HeaderStrip::showAboutBox)
        ->setObjectName(QStringLiteral("actionAbout"));
}

void DemoWindow::LoadForm(const QString& path) {
    strip_->loadForm(path);
    FitListToStrip();
}

void DemoWindow::OpenForm() {
    // The strip reads forms of both kinds by their content, whatever their
    // names.
    const QString path = QFileDialog::getOpenFileName(
        this, tr("Open form"), {},
        tr("Forms (*.json *.lumora);;JSON forms (*.json);;Form streams (*.lumora);;All files (*)"));
    if (!path.isEmpty()) OpenFormFile(path);
}

void DemoWindow::OpenFormFile(const QString& path) {
    try {
        LoadForm(path);
    } catch (const std::exception& error) {
        QMessageBox::warning(this, tr("Open form"), QString::fromStdString(error.what()));
    }
}

void DemoWindow::SaveForm() {
    // A save keeps the kind a file holds, or takes it from the name's
    // extension.
    const QString path = QFileDialog::getSaveFileName(
        this, tr("Save form"), {}, tr("JSON forms (*.json);;Form streams (*.lumora);;All files (*)"));
    if (path.isEmpty()) return;
    try {
        strip_->saveForm(path);
    } catch (const std::exception& error) {
        QMessageBox::warning(this, tr("Save form"), QString::fromStdString(error.what()));
    }
}

void DemoWindow::FitListToStrip() {
    const int columns = strip_->numberOfRows();
    model_->clear();
    model_->setColumnCount(columns);
    for (int row = 0; row < kSampleRows; ++row) {
        QList<QStandardItem*> cells;
        for (int column = 0; column < columns; ++column) cells.append(SampleCell(row, column));
        model_->appendRow(cells);
    }
    for (int column = 0; column < columns; ++column) {
        list_->setColumnWidth(column, strip_->rowWidth(column + 1) + kColumnFrame);
        // The list's own header stays hidden under the strip, but a screen
        // reader reads the list's columns by it.
        model_->setHeaderData(column, Qt::Horizontal, strip_->spokenRowCaption(column + 1));
    }
}

void DemoWindow::ShowSortOrder(int column, Qt::SortOrder order) {
    list_->horizontalHeader()->setSortIndicator(column, order);
    for (int other = 0; other < model_->columnCount(); ++other) {
        const QString said = other != column               ? QString()
                             : order == Qt::AscendingOrder ? QStringLiteral("sorted ascending")
                                                           : QStringLiteral("sorted descending");
        model_->setHeaderData(other, Qt::Horizontal, said, Qt::AccessibleDescriptionRole);
    }
}

}  // namespace Lumora
