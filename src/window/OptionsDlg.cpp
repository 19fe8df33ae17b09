#include "OptionsDlg.h"

#include "DataExchange.h"
#include "ResourceIds.h"

namespace zentory::window {

COptionsDlg::COptionsDlg(CDialog* pParent) : CDialog(ids::Options::kDialog, pParent) {}

void COptionsDlg::DoDataExchange(DataExchange& dx) {
    dx.Check(ids::Options::kExtensions, m_bShowExtensions);
    dx.Check(ids::Options::kFullPath, m_bShowFullPath);
    dx.Check(ids::Options::kOpenAfterSaving, m_bOpenAfterSaving);
    dx.Check(ids::Options::kDateTime, m_bShowDateTime);
}

bool COptionsDlg::OnInitDialog() {
    Ctl().SetDlgItemText(ids::Options::kGroup, m_strGroupText);
    Ctl().SetDlgItemText(ids::Options::kFullPath, m_strFullPathText);
    Ctl().SetDlgItemText(ids::Options::kDateTime, m_strDateTimeText);
    Ctl().SetDlgItemText(ids::Options::kExtensions, m_strExtensionsText);
    Ctl().SetDlgItemText(ids::Options::kOpenAfterSaving, m_strOpenAfterSavingText);
    Ctl().SetDlgItemText(IDCANCEL, m_strCancelText);
    return CDialog::OnInitDialog();
}

} // namespace zentory::window
