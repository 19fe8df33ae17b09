#include "ui/DialogFrame.h"

#include "Dialog.h"
#include "ListLook.h"
#include "ResourceIds.h"
#include "ui/Accessibility.h"
#include "ui/ControlAnchors.h"
#include "ui/FileListModel.h"

#include "ui/ReportView.h"
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QVariant>

#include <algorithm>

namespace zentory::qt {

namespace {

// The local folder that `data` carries as its one URL; "" when it carries
// anything else.
QString droppedFolder(const QMimeData* data) {
    if (data == nullptr || data->urls().size() != 1 || !data->urls().front().isLocalFile()) {
        return {};
    }
    const QString path = data->urls().front().toLocalFile();
    return QFileInfo(path).isDir() ? path : QString();
}

QColor colourOf(const unsigned char (&rgb)[3]) {
    return QColor(rgb[0], rgb[1], rgb[2]);
}

// The columns after the name at their first width.
void sizeCellColumns(ReportView& list) {
    for (int column = 1; column < list.header()->count(); ++column) {
        list.header()->resizeSection(column, window::kListCellColumnWidth);
    }
}

// Selects the rows of `rows` whole, every column of each.
void selectRows(ReportView& list, const QModelIndexList& rows) {
    QItemSelection selection;
    const int last = list.model()->columnCount() - 1;
    for (const QModelIndex& row : rows) {
        selection.select(list.model()->index(row.row(), 0),
                         list.model()->index(row.row(), std::max(last, 0)));
    }
    list.selectionModel()->select(selection, QItemSelectionModel::Select);
}

} // namespace

DialogFrame::DialogFrame(window::CDialog& logic, QWidget* pParent)
    : TemplateDialog(logic.m_nIDTemplate, pParent), m_logic(logic) {
    m_logic.Attach(this);
    ConnectCommands();
    if (logic.StretchingList() != 0) {
        new ControlAnchors(*this, Built(), logic.StretchingList());
    }
    if (logic.ListContextMenu() != 0) {
        PrepareListMenu();
    }
    if (logic.m_pParentWnd == nullptr) {
        PrepareMainWindow();
    }
}

void DialogFrame::PrepareListMenu() {
    const MenuTemplate menu = loadMenuTemplate(m_logic.ListContextMenu());
    auto* list = DlgItem<ReportView>(m_logic.StretchingList());
    if (menu.popups.empty() || list == nullptr) {
        return;
    }
    m_listMenu = new QMenu(this);
    for (const auto& item : menu.popups.front().items) {
        if (item.separator) {
            m_listMenu->addSeparator();
            continue;
        }
        QAction* action = m_listMenu->addAction(item.text);
        m_listCommands[item.id] = action;
        connect(action, &QAction::triggered, this, [this, id = item.id] { m_logic.OnCommand(id); });
    }
    // The right button, the menu key and Shift+F10 alike.
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& pos) {
        m_listMenu->popup(list->viewport()->mapToGlobal(pos));
    });
}

DialogFrame::~DialogFrame() {
    if (m_logic.View() == this) {
        m_logic.Attach(nullptr);
    }
    if (auto* list = findChild<ReportView*>()) {
        list->setModel(nullptr);
    }
}

DialogFrame* DialogFrame::Of(const window::CDialog& logic) {
    return dynamic_cast<DialogFrame*>(logic.View());
}

void DialogFrame::ConnectCommands() {
    for (const auto& [id, control] : Built().byId) {
        auto* button = qobject_cast<QPushButton*>(control);
        if (button != nullptr && id != window::IDOK && id != window::IDCANCEL) {
            connect(button, &QPushButton::clicked, this, [this, id] { m_logic.OnCommand(id); });
        }
    }
    for (const auto& [id, action] : Built().commands) {
        connect(action, &QAction::triggered, this, [this, id] { m_logic.OnCommand(id); });
    }
}

void DialogFrame::PrepareMainWindow() {
    // The window manager gives this window no system menu of its own, so the
    // About box is reached through the Help menu only.
    setWindowIcon(loadIcon(ids::Icons::kProgram));
    setAcceptDrops(m_logic.AcceptsDroppedFolders());
    // The keys of the commands that have the usual ones.
    for (const auto& [command, keys] : {std::pair{ids::Menu::kCopyList, QKeySequence::Copy},
                                        std::pair{ids::Menu::kPrint, QKeySequence::Print}}) {
        if (QAction* action = MenuCommand(command)) {
            action->setShortcut(keys);
        }
    }
    // F1 anywhere in the window, an open menu of it included, but not while
    // another dialog of the program is in front.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::ApplicationShortcut);
    connect(help, &QShortcut::activated, this, [this] {
        const QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == this) {
            m_logic.OnHelpInfo();
        }
    });
}

bool DialogFrame::StartDialog() {
    // Once the window shows and its loop runs.
    QTimer::singleShot(0, this, [this] { m_logic.OnShown(); });
    return m_logic.StartDialog();
}

void DialogFrame::OnOK() {
    m_logic.OnOK();
}

void DialogFrame::OnCancel() {
    m_logic.OnCancel();
}

void DialogFrame::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFolder(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void DialogFrame::dropEvent(QDropEvent* event) {
    const QString folder = droppedFolder(event->mimeData());
    if (folder.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    // Leaves the file manager's drag before the walk.
    QTimer::singleShot(0, this, [this, path = QFile::encodeName(folder).toStdString()] {
        m_logic.OnDropFolder(path);
    });
}

void DialogFrame::SetDlgItemText(int id, const std::string& text) {
    setControlText(GetDlgItem(id), text);
}

std::string DialogFrame::GetDlgItemText(int id) const {
    return controlTextBytes(GetDlgItem(id));
}

void DialogFrame::SetAccessibleName(int id, const std::string& name) {
    setAccessibleNameOf(id == 0 ? this : GetDlgItem(id), fromBytes(name));
}

void DialogFrame::Announce(int id, const std::string& text) {
    // Qt tells assistive technology of the change, which reads it out.
    GetDlgItem(id)->setAccessibleDescription(fromBytes(text));
}

void DialogFrame::CheckDlgButton(int id, int state) {
    auto* box = DlgItem<QAbstractButton>(id);
    auto* check = qobject_cast<QCheckBox*>(box);
    if (check != nullptr && state == 2) {
        check->setTristate(true);
        check->setCheckState(Qt::PartiallyChecked);
    } else {
        box->setChecked(state != 0);
    }
}

int DialogFrame::IsDlgButtonChecked(int id) const {
    const auto* box = DlgItem<QAbstractButton>(id);
    if (const auto* check = qobject_cast<const QCheckBox*>(box)) {
        const Qt::CheckState state = check->checkState();
        return state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0;
    }
    return box->isChecked() ? 1 : 0;
}

void DialogFrame::EnableDlgItem(int id, bool enable) {
    GetDlgItem(id)->setEnabled(enable);
}

void DialogFrame::UpdateDlgItem(int id) {
    GetDlgItem(id)->repaint();
}

int DialogFrame::AddComboString(int id, const std::string& text) {
    auto* combo = DlgItem<QComboBox>(id);
    const int added = combo->count();
    const int item = addComboString(combo, fromBytes(text));
    combo->setItemData(item, QVariant::fromValue(added));
    return item;
}

int DialogFrame::GetComboSelection(int id) const {
    const auto* combo = DlgItem<QComboBox>(id);
    const int item = combo->currentIndex();
    if (item < 0 || combo->itemText(item) != combo->currentText()) {
        return -1;
    }
    return combo->itemData(item).toInt();
}

bool DialogFrame::SelectComboString(int id, const std::string& text) {
    auto* combo = DlgItem<QComboBox>(id);
    const QString wanted = fromBytes(text);
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i).startsWith(wanted, Qt::CaseInsensitive)) {
            combo->setCurrentIndex(i);
            return true;
        }
    }
    combo->setCurrentIndex(-1);
    return false;
}

void DialogFrame::SetPopupText(int position, const std::string& text) {
    GetSubMenu(position)->menuAction()->setText(fromBytes(text));
}

void DialogFrame::SetMenuItemText(int command, const std::string& text) {
    const auto context = m_listCommands.find(command);
    QAction* action = context != m_listCommands.end() ? context->second : MenuCommand(command);
    action->setText(fromBytes(text));
}

std::vector<size_t> DialogFrame::GetListSelection(int id) const {
    std::vector<size_t> rows;
    for (const QModelIndex& index : DlgItem<ReportView>(id)->selectionModel()->selectedRows()) {
        rows.push_back(static_cast<size_t>(index.row()));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void DialogFrame::SetListFiles(int id, const FileList& files) {
    auto* list = DlgItem<ReportView>(id);
    if (m_listModel == nullptr || &m_listModel->List() != &files) {
        list->setModel(nullptr);
        m_listModel = std::make_unique<FileListModel>(files);
        list->setModel(m_listModel.get());
        QPalette palette = list->palette();
        palette.setColor(QPalette::Base, colourOf(window::kListBackground));
        palette.setColor(QPalette::Text, colourOf(window::kListText));
        list->setPalette(palette);
        return;
    }
    m_listModel->reset();
}

void DialogFrame::SetListCells(int id, const std::vector<std::string>& headers,
                               const window::ListCells& cells) {
    auto* list = DlgItem<ReportView>(id);
    // Columns made anew are part of the rows chosen before.
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    if (m_listModel != nullptr && m_listModel->SetCells(headers, cells)) {
        sizeCellColumns(*list);
        selectRows(*list, selected);
    }
}

void DialogFrame::SetListColumn(int id, const std::string& header) {
    if (m_listModel == nullptr) {
        static const FileList none;
        SetListFiles(id, none); // rows until the logic gives its own
    }
    auto* list = DlgItem<ReportView>(id);
    // The column is made anew, so a new language shows in its header; the rows
    // stay, and so do the selection and the scroll position, which the view
    // would otherwise drop with the column.
    const QModelIndexList selected = list->selectionModel()->selectedRows();
    const int current = list->currentIndex().row();
    const int scrolled = list->verticalScrollBar()->value();
    m_listModel->DeleteColumn();
    m_listModel->InsertColumn(header);
    list->header()->resizeSection(0, window::kListColumnWidth);
    sizeCellColumns(*list);
    if (current >= 0) {
        list->selectionModel()->setCurrentIndex(m_listModel->index(current, 0),
                                                QItemSelectionModel::NoUpdate);
    }
    selectRows(*list, selected);
    list->doItemsLayout();
    list->verticalScrollBar()->setValue(scrolled);
}

} // namespace zentory::qt
