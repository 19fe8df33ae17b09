#include "LanguageDlg.h"

#include "DataExchange.h"
#include "PrefixText.h"
#include "ResourceIds.h"
#include "i18n/FileErrorText.h"
#include "platform/FileError.h"

namespace zentory::window {

CLanguageDlg::CLanguageDlg(Shell& shell, const CTranslator& catalogue, CDialog* pParent)
    : CDialog(ids::Language::kDialog, pParent), m_shell(shell), m_catalogue(catalogue) {}

void CLanguageDlg::DoDataExchange(DataExchange& dx) {
    dx.CBString(ids::Language::kLanguages, m_strSelection);
}

bool CLanguageDlg::OnInitDialog() {
    Ctl().SetDlgItemText(ids::Language::kGroup, m_strGroupCaption);
    // The group names the box within it.
    Ctl().SetAccessibleName(ids::Language::kLanguages, ShownText(m_strGroupCaption));
    m_arrLanguages.clear();
    try {
        m_arrLanguages = readLanguageList(m_settings);
    } catch (const platform::FileError& error) {
        m_shell.fileErrorBox(fileErrorText(m_catalogue, error));
        return true;
    }
    for (const LanguageChoice& language : m_arrLanguages) {
        Ctl().AddComboString(ids::Language::kLanguages, language.name);
    }
    // Not translated: it names no entry of the file.
    m_strSelection = selectionForTag(m_arrLanguages, m_strLanguageTag);
    return CDialog::OnInitDialog();
}

void CLanguageDlg::OnOK() {
    UpdateData(true);
    // A listed entry stands for its language's name as the file holds it: a
    // name that is no valid text in the toolkit's encoding ("Fran<0xE7>ais" in
    // a UTF-8 locale) does not survive the way through the control and back.
    const int entry = Ctl().GetComboSelection(ids::Language::kLanguages);
    if (entry >= 0 && static_cast<size_t>(entry) < m_arrLanguages.size()) {
        m_strSelection = m_arrLanguages[static_cast<size_t>(entry)].name;
    }
    m_strLanguageTag = tagForSelection(m_arrLanguages, m_strSelection, m_strLanguageTag);
    EndDialog(IDOK);
}

} // namespace zentory::window
