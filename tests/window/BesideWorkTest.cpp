// Work beside a toolkit's event loop: a finished work wakes the loop and
// passes on what it threw; a cancelled one can be let go while it still
// runs, and then neither holds the loop nor wakes it.

#include "Toolkit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <stdexcept>

using zentory::window::BesideWork;
using namespace std::chrono_literals;

namespace {

TEST(BesideWork, FinishedWorkWakesTheLoopAndPassesOnWhatItThrew) {
    std::promise<void> woken;
    BesideWork work([] { throw std::runtime_error("cannot read"); }, [&] { woken.set_value(); });
    ASSERT_EQ(woken.get_future().wait_for(5s), std::future_status::ready);
    EXPECT_THROW(work.Finish(), std::runtime_error);
}

TEST(BesideWork, WorkLetGoEndsOnItsOwnWithoutWakingAnyone) {
    std::promise<void> release;
    auto ended = std::make_shared<std::atomic<bool>>(false);
    auto woken = std::make_shared<std::atomic<bool>>(false);
    const auto started = std::chrono::steady_clock::now();
    {
        BesideWork work(
            [gate = release.get_future().share(), ended] {
                gate.wait();
                *ended = true;
            },
            [woken] { *woken = true; });
        work.Abandon();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s) << "nobody waits for it";
    release.set_value();
    for (int i = 0; i < 500 && !*ended; ++i) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_TRUE(*ended);
    std::this_thread::sleep_for(20ms);
    EXPECT_FALSE(*woken);
}

} // namespace
