#pragma once
// What the window logic asks of the toolkit that draws it: run a dialog
// modally, run work beside the event loop with a progress window, show the
// wait cursor, format a number, speak the interface language in the
// toolkit's own dialogs and end every loop. One toolkit is installed for the
// program's run (Qt on Linux, Win32 on Windows, a recording fake in tests).

#include <chrono>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace zentory::window {

class CDialog;
class CProgressDlg;

class Toolkit {
public:
    virtual ~Toolkit() = default;

    // Builds `dlg` from its template, attaches it as the dialog's view, runs
    // OnInitDialog and the modal loop, and returns how the dialog ended.
    virtual int RunModal(CDialog& dlg) = 0;
    // Runs `work` on a thread of its own while the event loop goes on; input
    // reaches none of the program's windows meanwhile but the progress window
    // `progress`, which appears over `owner` once `delay` has passed. Returns
    // true when `work` has ended; what `work` throws is thrown here. Once the
    // progress window was cancelled, it waits kCancelGrace at most, then
    // returns false and leaves `work` to end on its own: a system call can
    // hold a read for seconds (a folder of a million files under some
    // systems), and a cancel must not wait for it. `work` must therefore own
    // everything it uses.
    virtual bool RunBesideLoop(CDialog& owner, std::function<void()> work, CProgressDlg& progress,
                               std::chrono::milliseconds delay) = 0;
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

// How long a cancelled read is waited for before it is left to end on its own.
inline constexpr std::chrono::milliseconds kCancelGrace{100};

// Work on a thread of its own, for a toolkit's RunBesideLoop: `wake` runs on
// that thread once `work` is over, to wake the event loop, unless the loop
// has let the work go first (Abandon).
class BesideWork {
public:
    BesideWork(std::function<void()> work, std::function<void()> wake);
    // Waits for the work unless it was let go.
    ~BesideWork();
    BesideWork(const BesideWork&) = delete;
    BesideWork& operator=(const BesideWork&) = delete;

    // Waits for the work (woken, it is over) and throws what it threw.
    void Finish();
    // Lets the work end on its own; `wake` is not called once this returns.
    void Abandon();

private:
    struct Shared {
        std::mutex mutex;
        bool abandoned = false;
        std::function<void()> wake;
        std::exception_ptr failure;
    };
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
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
