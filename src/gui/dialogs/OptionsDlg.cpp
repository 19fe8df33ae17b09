#include "dialogs/OptionsDlg.h"

#include "ResourceIds.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>

namespace zentory {

COptionsDlg::COptionsDlg(QWidget* pParent) : ui::TemplateDialog(ids::Options::kDialog, pParent) {
    m_chkFullPath = DlgItem<QCheckBox>(ids::Options::kFullPath);
    m_chkOpenAfterSaving = DlgItem<QCheckBox>(ids::Options::kOpenAfterSaving);
    m_chkExtensions = DlgItem<QCheckBox>(ids::Options::kExtensions);
    m_chkDateTime = DlgItem<QCheckBox>(ids::Options::kDateTime);
    m_btnCancel = DlgItem<QPushButton>(ui::IDCANCEL);
    m_grpOptions = DlgItem<QGroupBox>(ids::Options::kGroup);
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
