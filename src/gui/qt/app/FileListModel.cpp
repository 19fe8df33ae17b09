#include "app/FileListModel.h"

#include "ui/ControlText.h"

#include <algorithm>
#include <climits>

namespace zentory {

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
    return parent.isValid() || !m_hasColumn ? 0 : 1;
}

QVariant FileListModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rows) {
        return {};
    }
    return ui::fromBytes(m_list.name(static_cast<size_t>(index.row())));
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section != 0 || !m_hasColumn) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return m_header;
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
    beginRemoveColumns(QModelIndex(), 0, 0);
    m_hasColumn = false;
    m_header.clear();
    endRemoveColumns();
}

void FileListModel::InsertColumn(const std::string& header) {
    DeleteColumn();
    beginInsertColumns(QModelIndex(), 0, 0);
    m_hasColumn = true;
    m_header = ui::fromBytes(header);
    endInsertColumns();
}

void FileListModel::reset() {
    beginResetModel();
    m_rows = rowsOf(m_list);
    endResetModel();
}

void FileListModel::RemoveAll() {
    beginResetModel();
    m_rows = 0;
    endResetModel();
}

} // namespace zentory
