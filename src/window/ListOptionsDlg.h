#pragma once
// The list options dialog: which files a read takes (name patterns to include
// and to exclude, letter case, hidden entries, the depth of sub-folders) and
// which columns and totals the saved list adds, as zentory-cli's options do.
// Patterns are typed into one field each, separated by ";" ("*.jpg;*.png"),
// spaces around each pattern ignored. The depth is a whole number from 0 up,
// or empty for no bound. OK takes the values, and keeps the dialog open with
// a message when the depth is no such number; Cancel, Escape and the close box
// leave m_options as it came in.

#include "Dialog.h"
#include "ListOptions.h"
#include "Shell.h"
#include "i18n/Translator.h"

#include <string>

namespace zentory::window {

class CListOptionsDlg : public CDialog {
public:
    // `catalogue` gives the texts of the controls and of the message.
    CListOptionsDlg(Shell& shell, const CTranslator& catalogue, CDialog* pParent = nullptr);

    // In: the options shown at the opening. Out: what OK confirmed.
    ListOptions m_options;

    // The controls' values.
    std::string m_strInclude;
    std::string m_strExclude;
    std::string m_strDepth;
    int m_bIgnoreCase = 0;
    int m_bNoHidden = 0;
    int m_bSize = 0;
    int m_bModified = 0;
    int m_bTotals = 0;

    bool OnInitDialog() override;
    void OnOK() override;

protected:
    void DoDataExchange(DataExchange& dx) override;

private:
    void ApplyTexts();

    Shell& m_shell;
    const CTranslator& m_catalogue;
};

} // namespace zentory::window
