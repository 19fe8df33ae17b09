#pragma once
// A list view of style LVS_REPORT: rows of one or more columns under a header,
// chosen a whole row at a time. Assistive technology knows it as a table, not
// as a tree; it looks and is used like a flat tree view.

#include <QHeaderView>
#include <QTableView>

namespace zentory::qt {

class ReportView : public QTableView {
    Q_OBJECT

public:
    explicit ReportView(QWidget* parent = nullptr);

    // The column header, as a tree view names it.
    QHeaderView* header() const { return horizontalHeader(); }

protected:
    void changeEvent(QEvent* event) override;

private:
    void FitRowHeight();
};

} // namespace zentory::qt
