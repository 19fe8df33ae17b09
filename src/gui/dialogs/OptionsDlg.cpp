#include "dialogs/OptionsDlg.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

namespace zentory {

COptionsDlg::COptionsDlg(QWidget* pParent) : ui::TemplateDialog(132, pParent) {
    m_chkFullPath = DlgItem<QCheckBox>(1008);
    m_chkOpenAfterSaving = DlgItem<QCheckBox>(1011);
    m_chkExtensions = DlgItem<QCheckBox>(1010);
    m_chkDateTime = DlgItem<QCheckBox>(1009);
    m_btnCancel = DlgItem<QPushButton>(ui::IDCANCEL);
    m_grpOptions = DlgItem<QGroupBox>(1007);
}

void COptionsDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.Check(m_chkExtensions, m_bShowExtensions);
    dx.Check(m_chkFullPath, m_bShowFullPath);
    dx.Check(m_chkOpenAfterSaving, m_bOpenAfterSaving);
    dx.Check(m_chkDateTime, m_bShowDateTime);
}

bool COptionsDlg::OnInitDialog() {
    ui::TemplateDialog::OnInitDialog();
    ui::setControlText(m_grpOptions, m_strGroupText);
    ui::setControlText(m_chkFullPath, m_strFullPathText);
    ui::setControlText(m_chkDateTime, m_strDateTimeText);
    ui::setControlText(m_chkExtensions, m_strExtensionsText);
    ui::setControlText(m_chkOpenAfterSaving, m_strOpenAfterSavingText);
    ui::setControlText(m_btnCancel, m_strCancelText);
    UpdateData(false);
    return true;
}

} // namespace zentory
