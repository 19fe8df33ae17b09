#include "dialogs/ProgressDlg.h"

#include "ResourceIds.h"
#include "i18n/FileErrorText.h"

#include <QLocale>
#include <QPushButton>

namespace zentory {

namespace {
// How often the window shows the walk's progress.
constexpr int kRefreshMilliseconds = 250;
} // namespace

CProgressDlg::CProgressDlg(ScanWatch& watch, QWidget* pParent)
    : ui::TemplateDialog(ids::Progress::kDialog, pParent), m_watch(watch) {
    m_btnCancel = DlgItem<QPushButton>(ui::IDCANCEL);
    connect(&m_timer, &QTimer::timeout, this, &CProgressDlg::Refresh);
}

bool CProgressDlg::OnInitDialog() {
    ui::TemplateDialog::OnInitDialog();
    ui::setControlText(GetDlgItem(ids::Progress::kReading), m_strReadingText);
    ui::setControlText(m_btnCancel, m_strCancelText);
    Refresh();
    return true;
}

void CProgressDlg::Start() {
    OnInitDialog();
    setWindowModality(Qt::ApplicationModal);
    CentreOnOwner();
    show();
    m_btnCancel->setFocus();
    m_timer.start(kRefreshMilliseconds);
}

void CProgressDlg::Refresh() {
    const QString files = QLocale(QString::fromStdString(m_strLocale))
                              .toString(static_cast<qulonglong>(m_watch.files()));
    ui::setControlText(GetDlgItem(ids::Progress::kFiles),
                       FillPlaceholders(m_strFilesText, ui::toBytes(files)));
    ui::setControlText(GetDlgItem(ids::Progress::kFolder), m_watch.folder());
}

void CProgressDlg::OnCancel() {
    m_watch.cancel();
    m_btnCancel->setEnabled(false);
}

} // namespace zentory
