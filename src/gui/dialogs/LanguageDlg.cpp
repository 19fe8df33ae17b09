#include "dialogs/LanguageDlg.h"

#include "ResourceIds.h"

#include "platform/FileError.h"

#include <QComboBox>
#include <QGroupBox>
#include <QVariant>

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
    for (size_t i = 0; i < m_arrLanguages.size(); ++i) {
        const int item =
            ui::addComboString(m_comboLanguages, ui::fromBytes(m_arrLanguages[i].name));
        m_comboLanguages->setItemData(item, QVariant::fromValue(static_cast<qulonglong>(i)));
    }
    // Not translated: it names no entry of the file.
    m_strSelection = selectionForTag(m_arrLanguages, m_strLanguageTag);
    UpdateData(false);
    return true;
}

void CLanguageDlg::OnOK() {
    UpdateData(true);
    // A listed entry stands for its language's name as the file holds it: a
    // name that is no valid text in the locale's encoding ("Fran<0xE7>ais" in
    // a UTF-8 locale) does not survive the way through a QString and back.
    const int item = m_comboLanguages->currentIndex();
    if (item >= 0 && m_comboLanguages->itemText(item) == m_comboLanguages->currentText()) {
        const auto entry = m_comboLanguages->itemData(item).toULongLong();
        if (entry < m_arrLanguages.size()) {
            m_strSelection = m_arrLanguages[entry].name;
        }
    }
    m_strLanguageTag = tagForSelection(m_arrLanguages, m_strSelection, m_strLanguageTag);
    ui::TemplateDialog::OnOK();
}

} // namespace zentory
