#pragma once
// The progress window of a long read: the folder being read and how many files
// have been found, with a Cancel button (Escape and the close box cancel too).
// It has no modal loop of its own: it is shown, modal to the application,
// while the walk runs beside the event loop, and follows the walk a few times
// a second. Cancel asks the walk to stop; the window goes when the walk ends.

#include "listing/ScanWatch.h"
#include "ui/TemplateDialog.h"

#include <QTimer>

#include <string>

class QPushButton;

namespace zentory {

class CProgressDlg : public ui::TemplateDialog {
    Q_OBJECT

public:
    CProgressDlg(ScanWatch& watch, QWidget* pParent);

    // Texts in the interface language: the heading, the count ("%1" the
    // number of files) and the button; `m_strLocale` formats the number.
    std::string m_strReadingText;
    std::string m_strFilesText;
    std::string m_strCancelText;
    std::string m_strLocale;

    QPushButton* m_btnCancel = nullptr;

    // Shows the window and follows the walk until the window is closed.
    void Start();
    // Shows what the walk has found so far.
    void Refresh();

protected:
    bool OnInitDialog() override;
    void OnCancel() override;

private:
    ScanWatch& m_watch;
    QTimer m_timer;
};

} // namespace zentory
