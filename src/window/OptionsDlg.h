#pragma once
// The export options dialog: four on/off options that shape the exported text
// file, with captions that the main window supplies in the interface language.
// The main window keeps one object for the whole run, so each opening shows the
// values as the last OK (or the main window's defaults) left them; Cancel,
// Escape and the close box keep them unchanged.

#include "Dialog.h"

#include <string>

namespace zentory::window {

class COptionsDlg : public CDialog {
public:
    explicit COptionsDlg(CDialog* pParent = nullptr);

    // Captions, filled by the main window; put onto the controls at each opening.
    std::string m_strCancelText;
    std::string m_strOpenAfterSavingText;
    std::string m_strDateTimeText;
    std::string m_strExtensionsText;
    std::string m_strFullPathText;
    std::string m_strGroupText;

    // The options, 0 or 1.
    int m_bShowExtensions = 0;
    int m_bShowFullPath = 0;
    int m_bOpenAfterSaving = 0;
    int m_bShowDateTime = 0;

    bool OnInitDialog() override;

protected:
    void DoDataExchange(DataExchange& dx) override;
};

} // namespace zentory::window
