#include "app/ExportDlg.h"

#include "ResourceIds.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/LanguageDlg.h"
#include "export/TextExport.h"
#include "listing/FolderPath.h"
#include "listing/FolderScan.h"
#include "platform/Directory.h"
#include "platform/FileError.h"
#include "platform/Interruption.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QTimer>
#include <QTreeView>

namespace zentory {

namespace {

constexpr int kAppIcon = 128;
constexpr int kListColumnWidth = 400;
const QColor kListBackground(240, 255, 240);
const QColor kListText(20, 20, 255);

struct MenuText {
    TextKey key;
    int command;
};
// Menu items and the catalogue keys of their texts.
constexpr MenuText kMenuTexts[] = {
    {TextKey::MenuLanguageSelection, ids::Menu::kLanguageSelection},
    {TextKey::MenuExit, ids::Menu::kExit},
    {TextKey::MenuShowHelpFile, ids::Menu::kShowHelpFile},
    {TextKey::MenuGoToWebsite, ids::Menu::kGoToWebsite},
    {TextKey::MenuAbout, ids::Menu::kAbout},
};
// Drop-down menu titles by position: "File", "Help".
constexpr TextKey kPopupTitleKeys[] = {TextKey::MenuFile, TextKey::MenuHelp};

// What the save dialog offers.
constexpr const char* kSaveFilter = "TXT files (*.txt)|*.txt||";
constexpr const char* kSaveDefaultExt = "txt";

// The busy cursor for as long as the object lives, however the scope is left.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

// The local folder that `data` carries as its one URL; "" when it carries
// anything else.
QString droppedFolder(const QMimeData* data) {
    if (data == nullptr || data->urls().size() != 1 || !data->urls().front().isLocalFile()) {
        return {};
    }
    const QString path = data->urls().front().toLocalFile();
    return QFileInfo(path).isDir() ? path : QString();
}

// A text of the catalogue, or `english` where the translation file has none (one
// written for an older version), so that no button is left without a caption.
std::string textOr(const CTranslator& catalogue, TextKey key, const char* english) {
    std::string text = catalogue.GetText(key);
    return text.empty() ? english : text;
}

} // namespace

CExportDlg::CExportDlg(ui::Shell& shell, QWidget* pParent)
    : ui::TemplateDialog(ids::Main::kDialog, pParent), m_hIcon(ui::loadIcon(kAppIcon)),
      m_listModel(m_fileList), m_shell(shell) {
    m_chkSubFolders = DlgItem<QCheckBox>(ids::Main::kSubFolders);
    m_grpStep2 = DlgItem<QGroupBox>(ids::Main::kStep2);
    m_grpStep1 = DlgItem<QGroupBox>(ids::Main::kStep1);
    m_btnSave = DlgItem<QPushButton>(ids::Main::kSaveTxtFile);
    m_btnReadList = DlgItem<QPushButton>(ids::Main::kReadFileList);
    m_btnOptions = DlgItem<QPushButton>(ids::Main::kOptions);
    m_listFiles = DlgItem<QTreeView>(ids::Main::kFileList);
    m_listFiles->setModel(&m_listModel);
    // The options dialog has no parent of its own; the main window owns it while it runs.
    m_optionsDlg.setParent(this, m_optionsDlg.windowFlags());
    // The statics' members start with the template's texts, so that a start
    // which cannot load the catalogue still shows them.
    UpdateData(true);
    ConnectCommands();
    setAcceptDrops(true);
    m_shell.setCatalogue(&m_translator);
}

CExportDlg::~CExportDlg() {
    m_shell.setCatalogue(nullptr);
    m_listFiles->setModel(nullptr);
}

void CExportDlg::ConnectCommands() {
    auto command = [this](void (CExportDlg::*handler)()) {
        return [this, handler] { Dispatch(handler); };
    };
    connect(m_btnReadList, &QPushButton::clicked, this, command(&CExportDlg::OnReadFileList));
    connect(m_btnSave, &QPushButton::clicked, this, command(&CExportDlg::OnSaveTxtFile));
    connect(m_btnOptions, &QPushButton::clicked, this, command(&CExportDlg::OnOptions));
    connect(MenuCommand(ids::Menu::kAbout), &QAction::triggered, this,
            command(&CExportDlg::OnAbout));
    connect(MenuCommand(ids::Menu::kGoToWebsite), &QAction::triggered, this,
            command(&CExportDlg::OnGoToWebsite));
    connect(MenuCommand(ids::Menu::kExit), &QAction::triggered, this, command(&CExportDlg::OnExit));
    connect(MenuCommand(ids::Menu::kShowHelpFile), &QAction::triggered, this,
            command(&CExportDlg::OnShowHelpFile));
    connect(MenuCommand(ids::Menu::kLanguageSelection), &QAction::triggered, this,
            command(&CExportDlg::OnLanguageSelection));

    // F1 anywhere in the window, an open menu of it included, but not while
    // another dialog of the program is in front.
    auto* help = new QShortcut(QKeySequence(Qt::Key_F1), this);
    help->setContext(Qt::ApplicationShortcut);
    connect(help, &QShortcut::activated, this, [this] {
        const QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || modal == this) {
            OnHelpInfo();
        }
    });
}

void CExportDlg::Dispatch(void (CExportDlg::*command)()) {
    try {
        (this->*command)();
    } catch (const platform::FileError& error) {
        m_shell.fileErrorBox(error);
    } catch (const platform::Interrupted&) {
        // The write has taken its changes back; there is nothing to tell.
        OnInterruption();
    }
}

void CExportDlg::OnInterruption() {
    if (m_activeWatch != nullptr) {
        m_activeWatch->cancel();
    }
    // Every loop of this thread ends, the modal dialogs' too, and none starts again.
    QCoreApplication::exit(1);
}

void CExportDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Text(DlgItem<QWidget>(ids::Main::kFolderLabel), m_strFolderLabel);
    dx.Check(m_chkSubFolders, m_bSubFolders);
    dx.Text(DlgItem<QWidget>(ids::Main::kIntro), m_strIntro);
    dx.Text(DlgItem<QWidget>(ids::Main::kStep2Hint), m_strStep2Hint);
}

bool CExportDlg::StartDialog() {
    if (!m_strStartFolder.empty()) {
        // Once the window shows, so that the walk runs under its busy cursor.
        QTimer::singleShot(0, this, [this] { Dispatch(&CExportDlg::OnReadStartFolder); });
    }
    try {
        return OnInitDialog();
    } catch (const platform::FileError& error) {
        m_shell.fileErrorBox(error);
        return true;
    }
}

void CExportDlg::dragEnterEvent(QDragEnterEvent* event) {
    if (!droppedFolder(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void CExportDlg::dropEvent(QDropEvent* event) {
    const QString folder = droppedFolder(event->mimeData());
    if (folder.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    // Leaves the file manager's drag before the walk.
    QTimer::singleShot(0, this, [this, path = QFile::encodeName(folder).toStdString()] {
        ReadFolder(AbsoluteFolder(path, {}));
    });
}

bool CExportDlg::OnInitDialog() {
    ui::TemplateDialog::OnInitDialog();
    // The window manager gives this window no system menu of its own, so the
    // About box is reached through the Help menu only.
    setWindowIcon(m_hIcon);
    m_translator.Load();
    // Qt's dialogs speak the interface language too, or English where Qt has no translation.
    m_qtTranslations.Load(LocaleForTag(m_translator.Tag()));
    ApplyMenuTexts();
    ApplyControlTexts();
    UpdateData(false);
    ApplyOptionsTexts();
    PrepareListView();
    m_optionsDlg.m_bShowExtensions = 1;
    m_optionsDlg.m_bShowDateTime = 1;
    m_optionsDlg.m_bOpenAfterSaving = 1;
    return true;
}

void CExportDlg::ApplyMenuTexts() {
    for (size_t i = 0; i < std::size(kPopupTitleKeys); ++i) {
        GetSubMenu(static_cast<int>(i))
            ->menuAction()
            ->setText(ui::fromBytes(m_translator.GetText(kPopupTitleKeys[i])));
    }
    for (const auto& item : kMenuTexts) {
        MenuCommand(item.command)->setText(ui::fromBytes(m_translator.GetText(item.key)));
    }
}

void CExportDlg::ApplyControlTexts() {
    ui::setControlText(m_grpStep1, m_translator.GetText(TextKey::Step1));
    ui::setControlText(m_grpStep2, m_translator.GetText(TextKey::Step2));
    m_strIntro = m_translator.GetText(TextKey::Intro);
    ui::setControlText(m_chkSubFolders, m_translator.GetText(TextKey::SubFolders));
    ui::setControlText(m_btnReadList, m_translator.GetText(TextKey::ReadFileList));
    m_strFolderLabel = m_translator.GetText(TextKey::FolderLabel);
    m_strStep2Hint = m_translator.GetText(TextKey::Step2Hint);
    ui::setControlText(m_btnOptions, m_translator.GetText(TextKey::Options));
    ui::setControlText(m_btnSave, m_translator.GetText(TextKey::SaveTxtFile));
}

void CExportDlg::ApplyOptionsTexts() {
    m_optionsDlg.m_strGroupText = m_translator.GetText(TextKey::OptionsGroup);
    m_optionsDlg.m_strFullPathText = m_translator.GetText(TextKey::OptionsFullPath);
    m_optionsDlg.m_strExtensionsText = m_translator.GetText(TextKey::OptionsExtensions);
    m_optionsDlg.m_strDateTimeText = m_translator.GetText(TextKey::OptionsDateTime);
    m_optionsDlg.m_strOpenAfterSavingText = m_translator.GetText(TextKey::OptionsOpenAfterSaving);
    m_optionsDlg.m_strCancelText = m_translator.GetText(TextKey::OptionsCancel);
}

void CExportDlg::PrepareListView() {
    QPalette palette = m_listFiles->palette();
    palette.setColor(QPalette::Base, kListBackground);
    palette.setColor(QPalette::Text, kListText);
    m_listFiles->setPalette(palette);
    // The column is made anew, so a new language shows in its header; the rows
    // stay, and so do the selection and the scroll position, which the view
    // would otherwise drop with the column.
    const QModelIndexList selected = m_listFiles->selectionModel()->selectedRows();
    const int current = m_listFiles->currentIndex().row();
    const int scrolled = m_listFiles->verticalScrollBar()->value();
    m_listModel.DeleteColumn();
    m_listModel.InsertColumn(m_translator.GetText(TextKey::ListColumn));
    m_listFiles->header()->resizeSection(0, kListColumnWidth);
    if (current >= 0) {
        m_listFiles->selectionModel()->setCurrentIndex(m_listModel.index(current, 0),
                                                       QItemSelectionModel::NoUpdate);
    }
    for (const QModelIndex& row : selected) {
        m_listFiles->selectionModel()->select(m_listModel.index(row.row(), 0),
                                              QItemSelectionModel::Select |
                                                  QItemSelectionModel::Rows);
    }
    m_listFiles->doItemsLayout();
    m_listFiles->verticalScrollBar()->setValue(scrolled);
}

void CExportDlg::OnReadFileList() {
    std::string folder;
    if (auto chosen = m_shell.browseForFolder(m_translator.GetText(TextKey::BrowseTitle))) {
        folder = std::move(*chosen);
    }
    ReadFolder(folder);
}

void CExportDlg::OnReadStartFolder() {
    const bool relative = m_strStartFolder.front() != '/';
    ReadFolder(
        AbsoluteFolder(m_strStartFolder, relative ? platform::workingDirectory() : std::string()));
}

void CExportDlg::ReadFolder(const std::string& folder) {
    UpdateData(true);
    m_strFolderLabel = folder.empty() ? std::string() : FolderLabel(folder);
    UpdateData(false);
    // The label shows the choice now, not only once the walk is over.
    DlgItem<QWidget>(ids::Main::kFolderLabel)->repaint();

    BusyCursor busy;
    m_listModel.RemoveAll();
    m_fileList.clear();
    m_strChosenFolder.clear();
    if (!folder.empty()) {
        ScanFolder(folder);
    }
    m_listModel.reset();
    UpdateData(false);
}

void CExportDlg::ScanFolder(const std::string& folder) {
    const auto watch = m_newScanWatch ? m_newScanWatch() : std::make_unique<ScanWatch>();
    const ProgressTexts texts{textOr(m_translator, TextKey::ProgressReading, "Reading the folder:"),
                              textOr(m_translator, TextKey::ProgressFiles, "Files found: %1"),
                              textOr(m_translator, TextKey::ProgressCancel, "Cancel"),
                              LocaleForTag(m_translator.Tag())};
    if (platform::caughtInterruption() != 0) {
        watch->cancel(); // the program is ending: nothing to read
    }
    m_activeWatch = watch.get();
    ScanResult result;
    try {
        result =
            WalkBesideEventLoop(*this, folder, m_bSubFolders != 0, *watch, texts, m_progressDelay);
    } catch (...) {
        m_activeWatch = nullptr;
        throw;
    }
    m_activeWatch = nullptr;
    if (result.cancelled) {
        // As if no folder had been read: the caption again, no list, nothing to export.
        m_strFolderLabel = m_translator.GetText(TextKey::FolderLabel);
        return;
    }
    // A folder that cannot be read contributes nothing, and nothing is reported.
    m_fileList = std::move(result.files);
    m_strChosenFolder = folder;
}

void CExportDlg::OnSaveTxtFile() {
    const std::string caption = m_translator.GetText(TextKey::MessageCaption);
    if (m_listModel.rowCount() == 0) {
        m_shell.messageBox(m_translator.GetText(TextKey::NothingToExport), caption);
        return;
    }
    const auto path = m_shell.askSaveFileName(m_translator.GetText(TextKey::SaveFileName),
                                              kSaveFilter, kSaveDefaultExt);
    if (!path) {
        return;
    }
    ExportOptions options;
    options.showFullPath = m_optionsDlg.m_bShowFullPath == 1;
    options.showExtensions = m_optionsDlg.m_bShowExtensions == 1;
    options.showDateTime = m_optionsDlg.m_bShowDateTime == 1;
    // The folder of the last read, whatever the label shows since.
    const ExportRequest request{
        m_fileList,
        m_strChosenFolder,
        options,
        {m_translator.GetText(TextKey::ExportTitle), m_translator.GetText(TextKey::ExportHeading)},
        options.showDateTime ? platform::localNow() : platform::LocalTime{}};
    {
        BusyCursor busy;
        WriteExport(*path, request);
    }
    m_shell.messageBox(m_translator.GetText(TextKey::ExportSaved), caption);
    if (m_optionsDlg.m_bOpenAfterSaving == 1) {
        m_shell.open(*path);
    }
}

void CExportDlg::OnLanguageSelection() {
    const std::string oldTag = m_settings.ReadSetting("Language");
    CLanguageDlg dlg(m_shell, this);
    dlg.m_strLanguageTag = oldTag;
    dlg.m_strGroupCaption = m_translator.GetText(TextKey::LanguageGroup);
    dlg.DoModal();
    if (dlg.m_strLanguageTag == oldTag) {
        return;
    }
    m_settings.WriteSetting("Language", dlg.m_strLanguageTag);
    OnInitDialog();
}

void CExportDlg::OnAbout() {
    // Constructed without a parent of its own; the main window owns it while it runs.
    CAboutDlg dlg(this);
    dlg.DoModal();
}

void CExportDlg::OnGoToWebsite() {
    m_shell.open(m_settings.ReadSetting("Homepage"));
}

void CExportDlg::OnExit() {
    OnOK();
}

void CExportDlg::OnOptions() {
    m_optionsDlg.DoModal();
}

void CExportDlg::OnShowHelpFile() {
    m_shell.open(m_settings.GetDataFolder() + kPathSeparator + kHelpFileName);
}

bool CExportDlg::OnHelpInfo() {
    OnShowHelpFile();
    return false;
}

} // namespace zentory
