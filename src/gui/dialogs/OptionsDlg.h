#pragma once
// The export options dialog: four on/off options that shape the exported text
// file, with captions that the main window supplies in the interface language.
// The main window keeps one object for the whole run, so each opening shows the
// values as the last OK (or the main window's defaults) left them; Cancel,
// Escape and the close box keep them unchanged.

#include "ui/TemplateDialog.h"

#include <string>

class QCheckBox;
class QGroupBox;
class QPushButton;

namespace zentory {

class COptionsDlg : public ui::TemplateDialog {
    Q_OBJECT

public:
    explicit COptionsDlg(QWidget* pParent = nullptr);

    // Captions, filled by the main window; put onto the controls at each opening.
    std::string m_strCancelText;
    std::string m_strOpenAfterSavingText;
    std::string m_strDateTimeText;
    std::string m_strExtensionsText;
    std::string m_strFullPathText;
    std::string m_strGroupText;

    QCheckBox* m_chkFullPath = nullptr;
    QCheckBox* m_chkOpenAfterSaving = nullptr;
    QCheckBox* m_chkExtensions = nullptr;
    QCheckBox* m_chkDateTime = nullptr;
    QPushButton* m_btnCancel = nullptr;
    QGroupBox* m_grpOptions = nullptr;

    // The options, 0 or 1.
    int m_bShowExtensions = 0;
    int m_bShowFullPath = 0;
    int m_bOpenAfterSaving = 0;
    int m_bShowDateTime = 0;

protected:
    void DoDataExchange(ui::DataExchange& dx) override;
    bool OnInitDialog() override;
};

} // namespace zentory
