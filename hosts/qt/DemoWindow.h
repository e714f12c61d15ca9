// SPDX-License-Identifier: MIT
#pragma once

#include <QMainWindow>

class QStandardItemModel;
class QTableView;

namespace Lumora {

class HeaderStrip;

// The demo: the strip above a list of files that has no header of its own.
// Pressing a column sorts the list by it in the direction the strip reports;
// the list has as many columns as the strip, as wide as the strip's.
class DemoWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit DemoWindow(QWidget* parent = nullptr);

    HeaderStrip& strip() const noexcept { return *strip_; }
    QTableView& list() const noexcept { return *list_; }
    QStandardItemModel& model() const noexcept { return *model_; }

    // Loads a form into the strip and fits the list to its columns. Raises
    // std::runtime_error for a form that cannot be read.
    void LoadForm(const QString& path);
    // What the File menu's Open does once a file is picked: loads it, or
    // says in a message box why it cannot and keeps the strip as it was.
    void OpenFormFile(const QString& path);

private:
    void SetUpColumns();
    void BuildMenus();
    void OpenForm();
    void SaveForm();
    // Gives the list one column per strip column, filled with sample rows.
    void FitListToStrip();
    // The list's header tells the sort order the strip chose.
    void ShowSortOrder(int column, Qt::SortOrder order);

    HeaderStrip* strip_ = nullptr;
    QTableView* list_ = nullptr;
    QStandardItemModel* model_ = nullptr;
};

}  // namespace Lumora
