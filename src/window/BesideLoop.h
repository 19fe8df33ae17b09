#pragma once
// A folder read beside the event loop: the work runs on a thread of its own
// while the event loop goes on, and the progress window follows one timing
// on every front end. It appears once the read has taken longer than a
// moment, shows what the walk has found a few times a second, and once it
// was cancelled the read is waited for a moment only, then left to end on
// its own: a system call can hold a read for seconds (a folder of a million
// files under some systems), and a cancel must not wait for it.

#include <chrono>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace zentory::window {

class CProgressDlg;

using LoopClock = std::chrono::steady_clock;

// How long a cancelled read is waited for before it is left to end on its own.
inline constexpr std::chrono::milliseconds kCancelGrace{100};

// What a front end does for one read: while the object lives, input reaches
// none of the program's windows but the progress window.
class BesideLoop {
public:
    virtual ~BesideLoop() = default; // the progress window goes, input comes back

    // Shows `progress` over the owner, modal to the program, Cancel focused.
    virtual void ShowProgress(CProgressDlg& progress) = 0;
    // Runs the event loop: calls `step` at once, then when the time it
    // returned has come or on a Wake, and ends when `step` returns nothing.
    // `step` runs on this thread, in whatever loop of it is running then.
    virtual void Run(const std::function<std::optional<LoopClock::time_point>()>& step) = 0;
    // Has `step` called soon; from any thread.
    virtual void Wake() = 0;
};

// When the progress window shows, refreshes and is given up on.
class ProgressTiming {
public:
    enum class Due { Nothing, Show, Refresh, LetGo };

    ProgressTiming(LoopClock::time_point start, std::chrono::milliseconds delay);
    // What is due at `now`, the read asked to stop or not; one thing a call.
    Due at(LoopClock::time_point now, bool cancelled);
    // When something may be due next.
    LoopClock::time_point next() const;

private:
    LoopClock::time_point m_show;
    LoopClock::time_point m_refresh = LoopClock::time_point::max();
    LoopClock::time_point m_letGo = LoopClock::time_point::max();
    bool m_shown = false;
};

// Work on a thread of its own: `wake` runs on that thread once `work` is
// over, unless the loop has let the work go first (Abandon).
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

// Runs `work` beside `loop` with `progress` after `delay`. Returns true when
// `work` has ended, and throws what it threw; false when a cancelled read was
// left to end on its own, which is why `work` must own everything it uses.
bool runBesideLoop(std::unique_ptr<BesideLoop> loop, std::function<void()> work,
                   CProgressDlg& progress, std::chrono::milliseconds delay);

} // namespace zentory::window
