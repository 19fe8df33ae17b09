#pragma once
// The list view's model over the main window's file list: one row per entry,
// showing the file name in the name column, which the window deletes and
// inserts with a header of its own, and the window logic's cells in the
// columns after it. Rows are read from the list on demand, so a million names
// appear at once. A cell's whole text is its tool tip.

#include "DialogView.h"
#include "listing/FileList.h"

#include <QAbstractTableModel>

#include <string>
#include <vector>

namespace zentory::qt {

class FileListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit FileListModel(const FileList& list, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Removes the column, if there is one; the rows stay.
    void DeleteColumn();
    // Adds the column with `header` (bytes in the locale's encoding), left-aligned.
    void InsertColumn(const std::string& header);
    // The columns after the name, with `headers`, and their cells; false when
    // the headers were those shown already, so the columns stay as they are.
    bool SetCells(const std::vector<std::string>& headers, const window::ListCells& cells);

    const FileList& List() const { return m_list; }

    // Shows the list as it now stands; call after the list was refilled.
    void reset();

private:
    const FileList& m_list;
    int m_rows = 0; // the list's size when last reset
    bool m_hasColumn = false;
    QString m_header;
    std::vector<std::string> m_cellHeaders;
    const window::ListCells* m_cells = nullptr;
};

} // namespace zentory::qt
