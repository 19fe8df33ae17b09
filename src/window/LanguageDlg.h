#pragma once
// The language dialog: a combo box with every language of the translation file,
// the stored language preselected. OK maps the confirmed entry (or a typed
// text) back to its language's tag; Escape and the close box leave the tag as
// it came in. There is no Cancel button.

#include "Dialog.h"
#include "Shell.h"
#include "i18n/LanguageList.h"
#include "i18n/SettingsStore.h"
#include "i18n/Translator.h"

#include <string>
#include <vector>

namespace zentory::window {

class CLanguageDlg : public CDialog {
public:
    // `shell` shows the file-error box, in the words of `catalogue`, when the
    // translation file cannot be read.
    CLanguageDlg(Shell& shell, const CTranslator& catalogue, CDialog* pParent = nullptr);

    // Its own store, used only to find the translation file.
    CSettingsStore m_settings;
    // In: the stored "Language" value. Out: the tag of the confirmed language,
    // unchanged when no listed language was confirmed.
    std::string m_strLanguageTag;
    // The group box's caption, in the interface language.
    std::string m_strGroupCaption;
    // The languages of the translation file, in file order.
    std::vector<LanguageChoice> m_arrLanguages;
    // The combo box's text.
    std::string m_strSelection;

    // Lists the languages and preselects the stored one. A translation file that
    // cannot be read is reported, and the list and the field stay empty.
    bool OnInitDialog() override;
    void OnOK() override;

protected:
    void DoDataExchange(DataExchange& dx) override;

private:
    Shell& m_shell;
    const CTranslator& m_catalogue;
};

} // namespace zentory::window
