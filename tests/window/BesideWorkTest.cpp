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
