#include "ui/ReportAccessible.h"

#include "ui/ReportView.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QPointer>

namespace zentory::qt {

namespace {

// A cell of the list, or of its header row (`row` -1).
class ReportCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    ReportCell(ReportView* view, int row, int column)
        : m_view(view), m_row(row), m_column(column) {}

    bool isValid() const override {
        return m_view != nullptr && m_view->model() != nullptr &&
               m_row < m_view->model()->rowCount() && m_column < m_view->model()->columnCount();
    }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override {
        return m_view != nullptr ? m_view->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(m_view);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name || !isValid()) {
            return {};
        }
        return m_row < 0 ? m_view->model()->headerData(m_column, Qt::Horizontal).toString()
                         : Index().data().toString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const QRect r =
            m_row < 0 ? QRect(m_view->header()->sectionViewportPosition(m_column), 0,
                              m_view->header()->sectionSize(m_column), m_view->header()->height())
                      : m_view->visualRect(Index());
        QWidget* area = m_row < 0 ? static_cast<QWidget*>(m_view->header()) : m_view->viewport();
        return QRect(area->mapToGlobal(r.topLeft()), r.size());
    }
    QAccessible::Role role() const override {
        return m_row < 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    QAccessible::State state() const override {
        QAccessible::State st;
        if (!isValid() || m_row < 0) {
            return st;
        }
        st.selectable = true;
        st.selected = isSelected();
        st.focusable = true;
        st.focused = m_view->hasFocus() && m_view->currentIndex() == Index();
        const QRect shown = m_view->viewport()->rect();
        st.invisible = !shown.intersects(m_view->visualRect(Index()));
        return st;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return m_row; }
    bool isSelected() const override {
        return isValid() && m_row >= 0 && m_view->selectionModel()->isSelected(Index());
    }
    QAccessibleInterface* table() const override { return parent(); }

private:
    QModelIndex Index() const { return m_view->model()->index(m_row, m_column); }

    QPointer<ReportView> m_view;
    int m_row;
    int m_column;
};

// The list: a table whose children are its header row and then its rows, a
// child's number being (row + 1) * columns + column, as the view numbers them
// in its events.
class ReportTable : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit ReportTable(ReportView* view) : QAccessibleWidget(view, QAccessible::Table) {}
    ~ReportTable() override { Forget(); }

    void* interface_cast(QAccessible::InterfaceType t) override {
        if (t == QAccessible::TableInterface) {
            return static_cast<QAccessibleTableInterface*>(this);
        }
        return QAccessibleWidget::interface_cast(t);
    }
    int childCount() const override { return (rowCount() + 1) * columnCount(); }
    QAccessibleInterface* child(int index) const override {
        const int columns = columnCount();
        if (index < 0 || columns == 0 || index >= childCount()) {
            return nullptr;
        }
        return Cell(index / columns - 1, index % columns);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        // The interface asks for no change; Qt's cast only lacks a const overload.
        auto* asked = const_cast<QAccessibleInterface*>(child);
        const auto* cell = asked != nullptr ? asked->tableCellInterface() : nullptr;
        return cell == nullptr ? -1 : (cell->rowIndex() + 1) * columnCount() + cell->columnIndex();
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        return row >= 0 && row < rowCount() && column >= 0 && column < columnCount()
                   ? Cell(row, column)
                   : nullptr;
    }
    int columnCount() const override {
        return View()->model() != nullptr ? View()->model()->columnCount() : 0;
    }
    int rowCount() const override {
        return View()->model() != nullptr ? View()->model()->rowCount() : 0;
    }
    QString columnDescription(int column) const override {
        return View()->model()->headerData(column, Qt::Horizontal).toString();
    }
    QString rowDescription(int) const override { return {}; }
    int selectedCellCount() const override {
        return static_cast<int>(View()->selectionModel()->selectedIndexes().size());
    }
    QList<QAccessibleInterface*> selectedCells() const override {
        QList<QAccessibleInterface*> cells;
        for (const QModelIndex& index : View()->selectionModel()->selectedIndexes()) {
            cells.append(Cell(index.row(), index.column()));
        }
        return cells;
    }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override {
        return static_cast<int>(View()->selectionModel()->selectedRows().size());
    }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override {
        QList<int> rows;
        for (const QModelIndex& index : View()->selectionModel()->selectedRows()) {
            rows.append(index.row());
        }
        return rows;
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override {
        return View()->selectionModel()->isRowSelected(row, QModelIndex());
    }
    bool selectRow(int row) override {
        View()->selectionModel()->select(View()->model()->index(row, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
        return true;
    }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override {
        View()->selectionModel()->select(View()->model()->index(row, 0),
                                         QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
        return true;
    }
    bool unselectColumn(int) override { return false; }
    // The rows or columns changed: the cells made so far may stand elsewhere now.
    void modelChange(QAccessibleTableModelChangeEvent*) override { Forget(); }

private:
    ReportView* View() const { return static_cast<ReportView*>(widget()); }

    QAccessibleInterface* Cell(int row, int column) const {
        const qint64 key = (static_cast<qint64>(row) << 16) | column;
        if (const auto found = m_cells.constFind(key); found != m_cells.constEnd()) {
            return QAccessible::accessibleInterface(*found);
        }
        auto* cell = new ReportCell(View(), row, column);
        m_cells.insert(key, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }
    void Forget() {
        for (const QAccessible::Id id : std::as_const(m_cells)) {
            QAccessible::deleteAccessibleInterface(id);
        }
        m_cells.clear();
    }

    mutable QHash<qint64, QAccessible::Id> m_cells;
};

} // namespace

QAccessibleInterface* reportAccessible(QObject* object) {
    auto* view = qobject_cast<ReportView*>(object);
    return view != nullptr ? new ReportTable(view) : nullptr;
}

} // namespace zentory::qt
