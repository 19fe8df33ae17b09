#pragma once
// The progress window of a long read: the folder being read and how many files
// have been found, with a Cancel button (Escape and the close box cancel too).
// It has no modal loop of its own: it shows, modal to the program, while the
// walk runs beside the event loop (runBesideLoop), which calls Refresh a few
// times a second. Cancel asks the walk to stop; the window goes when the walk
// ends.

#include "Dialog.h"
#include "listing/ScanWatch.h"

#include <chrono>
#include <functional>
#include <string>

namespace zentory::window {

class CProgressDlg : public CDialog {
public:
    CProgressDlg(ScanWatch& watch, CDialog* pParent);

    // How often Refresh is called while the window shows.
    static constexpr std::chrono::milliseconds kRefreshInterval{250};

    // Texts in the interface language: the heading, the count ("%1" the
    // number of files) and the button; `m_strLocale` formats the number.
    std::string m_strReadingText;
    std::string m_strFilesText;
    std::string m_strCancelText;
    std::string m_strLocale;

    bool OnInitDialog() override;
    void OnCancel() override;
    // Shows what the walk has found so far.
    void Refresh();
    // Whether the read was asked to stop (Cancel, or the program ending).
    bool Cancelled() const { return m_watch.cancelled(); }

    // Called once Cancel has asked the walk to stop: wakes the loop it runs beside.
    std::function<void()> m_onCancel;

private:
    ScanWatch& m_watch;
};

} // namespace zentory::window
