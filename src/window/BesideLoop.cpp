#include "BesideLoop.h"

#include "ProgressDlg.h"

#include <atomic>

namespace zentory::window {

ProgressTiming::ProgressTiming(LoopClock::time_point start, std::chrono::milliseconds delay)
    : m_show(start + delay) {}

ProgressTiming::Due ProgressTiming::at(LoopClock::time_point now, bool cancelled) {
    if (cancelled && m_letGo == LoopClock::time_point::max()) {
        m_letGo = now + kCancelGrace;
    }
    if (now >= m_letGo) {
        return Due::LetGo;
    }
    if (!m_shown && now >= m_show) {
        m_shown = true;
        m_refresh = now + CProgressDlg::kRefreshInterval;
        return Due::Show;
    }
    if (m_shown && now >= m_refresh) {
        m_refresh = now + CProgressDlg::kRefreshInterval;
        return Due::Refresh;
    }
    return Due::Nothing;
}

LoopClock::time_point ProgressTiming::next() const {
    return std::min({m_shown ? m_refresh : m_show, m_letGo});
}

BesideWork::BesideWork(std::function<void()> work, std::function<void()> wake)
    : m_shared(std::make_shared<Shared>()) {
    m_shared->wake = std::move(wake);
    m_thread = std::thread([shared = m_shared, work = std::move(work)] {
        std::exception_ptr failure;
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        const std::lock_guard<std::mutex> lock(shared->mutex);
        shared->failure = failure;
        if (!shared->abandoned) {
            shared->wake();
        }
    });
}

BesideWork::~BesideWork() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void BesideWork::Finish() {
    m_thread.join();
    if (m_shared->failure) {
        std::rethrow_exception(m_shared->failure);
    }
}

void BesideWork::Abandon() {
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->abandoned = true;
    m_thread.detach();
}

namespace {

// The progress window's Cancel wakes the loop for as long as the object lives.
class WakeOnCancel {
public:
    WakeOnCancel(CProgressDlg& progress, BesideLoop& loop) : m_progress(progress) {
        m_progress.m_onCancel = [&loop] { loop.Wake(); };
    }
    ~WakeOnCancel() { m_progress.m_onCancel = nullptr; }
    WakeOnCancel(const WakeOnCancel&) = delete;
    WakeOnCancel& operator=(const WakeOnCancel&) = delete;

private:
    CProgressDlg& m_progress;
};

} // namespace

bool runBesideLoop(std::unique_ptr<BesideLoop> loop, std::function<void()> work,
                   CProgressDlg& progress, std::chrono::milliseconds delay) {
    std::atomic<bool> ended{false};
    BesideLoop& events = *loop;
    const WakeOnCancel wakeOnCancel(progress, events);
    // The work is waited for (when it must be) while the loop it wakes lives.
    BesideWork walker(std::move(work), [&] {
        ended = true;
        events.Wake();
    });
    ProgressTiming timing(LoopClock::now(), delay);
    bool letGo = false;
    events.Run([&]() -> std::optional<LoopClock::time_point> {
        if (ended) {
            return std::nullopt;
        }
        switch (timing.at(LoopClock::now(), progress.Cancelled())) {
        case ProgressTiming::Due::Show:
            events.ShowProgress(progress);
            break;
        case ProgressTiming::Due::Refresh:
            progress.Refresh();
            break;
        case ProgressTiming::Due::LetGo:
            letGo = true;
            return std::nullopt;
        case ProgressTiming::Due::Nothing:
            break;
        }
        return timing.next();
    });
    // A loop may also end early, when the program is ending.
    if (!ended && (letGo || progress.Cancelled())) {
        walker.Abandon();
        loop.reset();
        return false;
    }
    // Joined first: the work has woken the loop for the last time.
    walker.Finish();
    loop.reset();
    return true;
}

} // namespace zentory::window
