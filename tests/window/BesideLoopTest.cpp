// Work beside a toolkit's event loop: a finished work wakes the loop and
// passes on what it threw; a cancelled one can be let go while it still
// runs, and then neither holds the loop nor wakes it. The progress window's
// timing, the same for every front end, on a clock of the test's own and on
// a recording loop.

#include "BesideLoop.h"
#include "ProgressDlg.h"
#include "ResourceIds.h"
#include "window/FakeToolkit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

using zentory::window::BesideWork;
using namespace std::chrono_literals;

namespace {

using zentory::window::LoopClock;
using zentory::window::ProgressTiming;
using Due = ProgressTiming::Due;
constexpr auto kRefresh = zentory::window::CProgressDlg::kRefreshInterval;
constexpr auto kGrace = zentory::window::kCancelGrace;

struct TimingStep {
    std::chrono::milliseconds at; // since the read began
    bool cancelled;
    Due due;
    std::chrono::milliseconds next; // when to look again, since the read began
};

struct TimingCase {
    const char* what;
    std::chrono::milliseconds delay;
    std::vector<TimingStep> steps;
};

TEST(ProgressTiming, ShowsAfterTheDelayRefreshesAndGivesUpOnACancelledRead) {
    const auto d = 400ms;
    const std::vector<TimingCase> cases{
        {"quick read: nothing due before the delay",
         d,
         {{0ms, false, Due::Nothing, d}, {d - 1ms, false, Due::Nothing, d}}},
        {"shown at the delay, then refreshed at each interval",
         d,
         {{d, false, Due::Show, d + kRefresh},
          {d + kRefresh - 1ms, false, Due::Nothing, d + kRefresh},
          {d + kRefresh + 5ms, false, Due::Refresh, d + 2 * kRefresh + 5ms}}},
        {"a late wake does one thing at a time",
         d,
         {{d + 3 * kRefresh, false, Due::Show, d + 4 * kRefresh},
          {d + 4 * kRefresh, false, Due::Refresh, d + 5 * kRefresh}}},
        {"cancelled: waited for the grace, then let go",
         d,
         {{d, false, Due::Show, d + kRefresh},
          {d + 10ms, true, Due::Nothing, d + 10ms + kGrace},
          {d + 10ms + kGrace - 1ms, true, Due::Nothing, d + 10ms + kGrace},
          {d + 10ms + kGrace, true, Due::LetGo, d + 10ms + kGrace}}},
        {"the grace counts from the first look at the cancel",
         d,
         {{5ms, true, Due::Nothing, 5ms + kGrace}, {5ms + kGrace, true, Due::LetGo, 5ms + kGrace}}},
        {"no delay: shown at once", 0ms, {{0ms, false, Due::Show, kRefresh}}},
    };
    const LoopClock::time_point start{};
    for (const auto& c : cases) {
        ProgressTiming timing(start, c.delay);
        for (const auto& step : c.steps) {
            EXPECT_EQ(timing.at(start + step.at, step.cancelled), step.due)
                << c.what << " at " << step.at.count() << " ms";
            EXPECT_EQ(timing.next(), start + step.next) << c.what << " at " << step.at.count();
        }
    }
}

// A front end's loop that records what it was asked to do; its event loop
// is a wait for a wake or the time asked.
class RecordingLoop : public zentory::window::BesideLoop {
public:
    RecordingLoop(std::vector<std::string>& log,
                  std::function<void(zentory::window::CProgressDlg&)> onShow)
        : m_log(log), m_onShow(std::move(onShow)) {}
    ~RecordingLoop() override {
        if (m_shown != nullptr) {
            m_shown->Attach(nullptr);
        }
        m_log.push_back("gone");
    }

    void ShowProgress(zentory::window::CProgressDlg& progress) override {
        m_log.push_back("show");
        m_shown = &progress;
        progress.Attach(&m_view);
        progress.OnInitDialog();
        if (m_onShow) {
            m_onShow(progress);
        }
    }
    void Run(const std::function<std::optional<LoopClock::time_point>()>& step) override {
        for (auto next = step(); next; next = step()) {
            if (m_shown != nullptr) {
                noteCount();
            }
            std::unique_lock<std::mutex> lock(m_mutex);
            m_woke.wait_until(lock, *next, [&] { return m_woken; });
            m_woken = false;
        }
    }
    void Wake() override {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_woken = true;
        m_woke.notify_one();
    }

    // Set once the progress window has shown `count` files.
    std::promise<void> counted;
    std::string count;

private:
    void noteCount() {
        const std::string text = m_view.GetDlgItemText(zentory::ids::Progress::kFiles);
        if (!count.empty() && text.find(count) != std::string::npos) {
            m_log.push_back("refreshed " + count);
            count.clear();
            counted.set_value();
        }
    }

    std::vector<std::string>& m_log;
    std::function<void(zentory::window::CProgressDlg&)> m_onShow;
    zentory::test::RecordingView m_view;
    zentory::window::CProgressDlg* m_shown = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_woke;
    bool m_woken = false;
};

TEST(BesideLoop, QuickWorkShowsNoProgressAndPassesItsFailureOn) {
    zentory::test::FakeToolkit toolkit;
    zentory::ScanWatch watch;
    zentory::window::CProgressDlg progress(watch, nullptr);
    std::vector<std::string> log;
    EXPECT_THROW(zentory::window::runBesideLoop(
                     std::make_unique<RecordingLoop>(log, nullptr),
                     [] { throw std::runtime_error("gone"); }, progress, 1h),
                 std::runtime_error);
    EXPECT_EQ(log, (std::vector<std::string>{"gone"}));
}

TEST(BesideLoop, LongWorkShowsTheProgressWindowAndItFollowsTheCount) {
    zentory::test::FakeToolkit toolkit;
    zentory::ScanWatch watch;
    zentory::window::CProgressDlg progress(watch, nullptr);
    progress.m_strFilesText = "Files: %1";
    std::vector<std::string> log;
    auto loop = std::make_unique<RecordingLoop>(log, nullptr);
    loop->count = "7@";
    std::future<void> counted = loop->counted.get_future();
    const bool ended = zentory::window::runBesideLoop(
        std::move(loop),
        [&] {
            watch.found(7);
            counted.wait(); // held until the window has shown the 7 files
        },
        progress, 0ms);
    EXPECT_TRUE(ended);
    EXPECT_EQ(log, (std::vector<std::string>{"show", "refreshed 7@", "gone"}));
    EXPECT_EQ(progress.View(), nullptr) << "the progress window goes with the work";
}

TEST(BesideLoop, CancelledWorkIsLetGoAfterAMomentAndEndsOnItsOwn) {
    zentory::test::FakeToolkit toolkit;
    auto watch = std::make_shared<zentory::ScanWatch>();
    zentory::window::CProgressDlg progress(*watch, nullptr);
    std::vector<std::string> log;
    std::promise<void> release;
    std::shared_future<void> gate = release.get_future().share();
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> workDone = done->get_future();
    // Cancel is pressed as soon as the window shows; the work does not look.
    const bool ended = zentory::window::runBesideLoop(
        std::make_unique<RecordingLoop>(
            log, [](zentory::window::CProgressDlg& shown) { shown.OnCancel(); }),
        [gate, done, watch] {
            gate.wait();
            done->set_value();
        },
        progress, 0ms);
    EXPECT_FALSE(ended);
    EXPECT_TRUE(watch->cancelled());
    EXPECT_EQ(log, (std::vector<std::string>{"show", "gone"}));
    release.set_value();
    workDone.wait();
}

TEST(BesideWork, FinishedWorkWakesTheLoopAndPassesOnWhatItThrew) {
    std::promise<void> woken;
    BesideWork work([] { throw std::runtime_error("cannot read"); }, [&] { woken.set_value(); });
    ASSERT_EQ(woken.get_future().wait_for(5s), std::future_status::ready);
    EXPECT_THROW(work.Finish(), std::runtime_error);
}

// Sets its promise when the work's state is destroyed, which the worker
// thread does only after it has decided whether to wake anyone.
struct Gone {
    std::promise<void> promise;
    ~Gone() { promise.set_value(); }
};

TEST(BesideWork, WorkLetGoEndsOnItsOwnWithoutWakingAnyone) {
    std::promise<void> release;
    auto ended = std::make_shared<std::atomic<bool>>(false);
    auto woken = std::make_shared<std::atomic<bool>>(false);
    auto gone = std::make_shared<Gone>();
    std::future<void> workGone = gone->promise.get_future();
    // The work waits for the gate, which opens only after the scope is left:
    // a scope that waited for the work would never be left.
    auto scope = std::async(std::launch::async, [&, gone = std::move(gone)]() mutable {
        BesideWork work(
            [gate = release.get_future().share(), ended, gone = std::move(gone)] {
                gate.wait();
                *ended = true;
            },
            [woken] { *woken = true; });
        work.Abandon();
    });
    const bool left = scope.wait_for(60s) == std::future_status::ready;
    release.set_value();
    ASSERT_TRUE(left) << "the scope waited for work it had let go";
    workGone.wait();
    EXPECT_TRUE(*ended);
    EXPECT_FALSE(*woken);
}

} // namespace
