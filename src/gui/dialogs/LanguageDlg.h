#pragma once
// The language dialog: a combo box with every language of the translation file,
// the stored language preselected. OK maps the confirmed entry (or a typed
// text) back to its language's tag; Escape and the close box leave the tag as it came in. There
// is no Cancel button.

#include "i18n/LanguageList.h"
#include "i18n/SettingsStore.h"
#include "ui/Shell.h"
#include "ui/TemplateDialog.h"

#include <string>
#include <vector>

class QComboBox;
class QGroupBox;

namespace zentory {

class CLanguageDlg : public ui::TemplateDialog {
    Q_OBJECT

public:
    // `shell` shows the file-error box when the translation file cannot be read.
    explicit CLanguageDlg(ui::Shell& shell, QWidget* pParent = nullptr);

    // Its own store, used only to find the translation file.
    CSettingsStore m_settings;
    // In: the stored "Language" value. Out: the tag of the confirmed language,
    // unchanged when no listed language was confirmed.
    std::string m_strLanguageTag;
    // The group box's caption, in the interface language.
    std::string m_strGroupCaption;
    // The languages of the translation file, in file order.
    std::vector<LanguageChoice> m_arrLanguages;
    QComboBox* m_comboLanguages = nullptr;
    QGroupBox* m_groupLanguages = nullptr;
    // The combo box's text.
    std::string m_strSelection;

protected:
    void DoDataExchange(ui::DataExchange& dx) override;
    // Lists the languages and preselects the stored one. A translation file that
    // cannot be read is reported, and the list and the field stay empty.
    bool OnInitDialog() override;
    void OnOK() override;

private:
    ui::Shell& m_shell;
};

} // namespace zentory
