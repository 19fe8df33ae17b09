#include "dialogs/LanguageDlg.h"

#include "ResourceIds.h"

#include "platform/FileError.h"

#include <QComboBox>
#include <QGroupBox>

namespace zentory {

CLanguageDlg::CLanguageDlg(ui::Shell& shell, QWidget* pParent)
    : ui::TemplateDialog(ids::Language::kDialog, pParent), m_shell(shell) {
    m_comboLanguages = DlgItem<QComboBox>(ids::Language::kLanguages);
    m_groupLanguages = DlgItem<QGroupBox>(ids::Language::kGroup);
}

void CLanguageDlg::DoDataExchange(ui::DataExchange& dx) {
    dx.CBString(m_comboLanguages, m_strSelection);
}

bool CLanguageDlg::OnInitDialog() {
    ui::TemplateDialog::OnInitDialog();
    ui::setControlText(m_groupLanguages, m_strGroupCaption);
    m_arrLanguages.clear();
    try {
        m_arrLanguages = readLanguageList(m_settings);
    } catch (const platform::FileError& error) {
        m_shell.fileErrorBox(error);
        return true;
    }
    for (const auto& language : m_arrLanguages) {
        ui::addComboString(m_comboLanguages, ui::fromBytes(language.name));
    }
    // Not translated: it names no entry of the file.
    m_strSelection = selectionForTag(m_arrLanguages, m_strLanguageTag);
    UpdateData(false);
    return true;
}

void CLanguageDlg::OnOK() {
    UpdateData(true);
    m_strLanguageTag = tagForSelection(m_arrLanguages, m_strSelection, m_strLanguageTag);
    ui::TemplateDialog::OnOK();
}

} // namespace zentory
