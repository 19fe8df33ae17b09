#pragma once
// What the window logic asks of the toolkit that draws it: run a dialog
// modally, run work beside the event loop with a progress window, show the
// wait cursor, format a number, speak the interface language in the
// toolkit's own dialogs and end every loop. One toolkit is installed for the
// program's run (Qt on Linux, Win32 on Windows, a recording fake in tests).

#include "BesideLoop.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace zentory::window {

class CDialog;
class CProgressDlg;

class Toolkit {
public:
    virtual ~Toolkit() = default;

    // Builds `dlg` from its template, attaches it as the dialog's view, runs
    // OnInitDialog and the modal loop, and returns how the dialog ended.
    virtual int RunModal(CDialog& dlg) = 0;
    // Runs `work` beside the event loop with the progress window `progress`
    // over `owner` (runBesideLoop): true when `work` has ended, false when a
    // cancelled read was left to end on its own.
    virtual bool RunBesideLoop(CDialog& owner, std::function<void()> work, CProgressDlg& progress,
                               std::chrono::milliseconds delay);
    // The event loop for one such read over `owner`.
    virtual std::unique_ptr<BesideLoop> OpenBesideLoop(CDialog& owner) = 0;
    // The busy cursor over the program's windows, nested.
    virtual void BeginWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // `count` with the digit grouping of `locale` ("de_DE").
    virtual std::string FormatCount(std::uint64_t count, const std::string& locale) const = 0;
    // The toolkit's own dialogs speak `locale` from now on, where it can.
    virtual void SetInterfaceLanguage(const std::string& locale) = 0;
    // Ends every modal loop, and none starts again: the program is ending.
    virtual void QuitAll() = 0;

    // The toolkit of this run; installing one replaces the last.
    static Toolkit& Current();
    static void Install(Toolkit* toolkit);
};

// A toolkit installed for as long as the object lives: a toolkit's member,
// so that it is the toolkit of the run from its making to its end.
class ToolkitInstallation {
public:
    explicit ToolkitInstallation(Toolkit& toolkit) { Toolkit::Install(&toolkit); }
    ~ToolkitInstallation() { Toolkit::Install(nullptr); }
    ToolkitInstallation(const ToolkitInstallation&) = delete;
    ToolkitInstallation& operator=(const ToolkitInstallation&) = delete;
};

// The wait cursor for as long as the object lives, however the scope is left.
class CWaitCursor {
public:
    CWaitCursor() { Toolkit::Current().BeginWaitCursor(); }
    ~CWaitCursor() { Toolkit::Current().EndWaitCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

} // namespace zentory::window
