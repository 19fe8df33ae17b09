#include "ProgressDlg.h"

#include "ResourceIds.h"
#include "Toolkit.h"
#include "i18n/Placeholders.h"

namespace zentory::window {

CProgressDlg::CProgressDlg(ScanWatch& watch, CDialog* pParent)
    : CDialog(ids::Progress::kDialog, pParent), m_watch(watch) {}

bool CProgressDlg::OnInitDialog() {
    Ctl().SetDlgItemText(ids::Progress::kReading, m_strReadingText);
    Ctl().SetDlgItemText(IDCANCEL, m_strCancelText);
    Refresh();
    return CDialog::OnInitDialog();
}

void CProgressDlg::Refresh() {
    const std::string files = Toolkit::Current().FormatCount(m_watch.files(), m_strLocale);
    Ctl().SetDlgItemText(ids::Progress::kFiles, fillPlaceholders(m_strFilesText, files));
    Ctl().SetDlgItemText(ids::Progress::kFolder, m_watch.folder());
}

void CProgressDlg::OnCancel() {
    m_watch.cancel();
    Ctl().EnableDlgItem(IDCANCEL, false);
    if (m_onCancel) {
        m_onCancel();
    }
}

} // namespace zentory::window
