#include "ui/FileListModel.h"

#include "ui/ControlText.h"

#include <algorithm>
#include <climits>

namespace zentory::qt {

namespace {
int rowsOf(const FileList& list) {
    return static_cast<int>(std::min<size_t>(list.size(), INT_MAX));
}
} // namespace

FileListModel::FileListModel(const FileList& list, QObject* parent)
    : QAbstractTableModel(parent), m_list(list), m_rows(rowsOf(list)) {}

int FileListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int FileListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_hasColumn ? 0 : 1 + static_cast<int>(m_cellHeaders.size());
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if ((role != Qt::DisplayRole && role != Qt::ToolTipRole) || !index.isValid() ||
        index.row() >= m_rows) {
        return {};
    }
    const auto row = static_cast<size_t>(index.row());
    if (index.column() == 0) {
        return qt::fromBytes(m_list.name(row));
    }
    return m_cells != nullptr
               ? qt::fromBytes(m_cells->CellText(row, static_cast<size_t>(index.column())))
               : QVariant();
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return section == 0 ? m_header
                            : qt::fromBytes(m_cellHeaders[static_cast<size_t>(section) - 1]);
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    }
    return {};
}

void FileListModel::DeleteColumn() {
    if (!m_hasColumn) {
        return;
    }
    beginRemoveColumns(QModelIndex(), 0, columnCount() - 1);
    m_hasColumn = false;
    m_header.clear();
    endRemoveColumns();
}

void FileListModel::InsertColumn(const std::string& header) {
    DeleteColumn();
    beginInsertColumns(QModelIndex(), 0, static_cast<int>(m_cellHeaders.size()));
    m_hasColumn = true;
    m_header = qt::fromBytes(header);
    endInsertColumns();
}

bool FileListModel::SetCells(const std::vector<std::string>& headers,
                             const window::ListCells& cells) {
    m_cells = &cells;
    if (headers == m_cellHeaders) {
        if (m_rows > 0 && !headers.empty()) {
            emit dataChanged(index(0, 1), index(m_rows - 1, columnCount() - 1));
        }
        return false;
    }
    if (m_hasColumn && !m_cellHeaders.empty()) {
        beginRemoveColumns(QModelIndex(), 1, columnCount() - 1);
        m_cellHeaders.clear();
        endRemoveColumns();
    }
    if (m_hasColumn && !headers.empty()) {
        beginInsertColumns(QModelIndex(), 1, static_cast<int>(headers.size()));
    }
    m_cellHeaders = headers;
    if (m_hasColumn && !headers.empty()) {
        endInsertColumns();
    }
    return true;
}

void FileListModel::reset() {
    beginResetModel();
    m_rows = rowsOf(m_list);
    endResetModel();
}

} // namespace zentory::qt
