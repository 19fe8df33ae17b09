#include "platform/StepFailure.h"

#include <array>
#include <atomic>

namespace zentory::platform {

namespace {

constexpr std::size_t kSteps = static_cast<std::size_t>(Step::Create) + 1;

struct Armed {
    std::atomic<int> error{0};
    std::atomic<int> countdown{0}; // runs left before the failing one; -1: every run
};

std::array<Armed, kSteps> g_steps;
std::atomic<int> g_armed{0}; // how many steps are armed: the fast path reads only this

Armed& slot(Step step) {
    return g_steps[static_cast<std::size_t>(step)];
}

void arm(Step step, int error, int countdown) {
    Armed& s = slot(step);
    if (s.error.exchange(0) != 0) {
        g_armed.fetch_sub(1);
    }
    s.countdown.store(countdown);
    s.error.store(error);
    if (error != 0) {
        g_armed.fetch_add(1);
    }
}

} // namespace

void failStep(Step step, int error, int nth) {
    arm(step, error, nth > 1 ? nth - 1 : 0);
}

void failStepAlways(Step step, int error) {
    arm(step, error, -1);
}

void clearStepFailures() noexcept {
    for (Armed& s : g_steps) {
        s.error.store(0);
        s.countdown.store(0);
    }
    g_armed.store(0);
}

bool stepArmed(Step step) noexcept {
    return slot(step).error.load() != 0;
}

int failingStep(Step step) noexcept {
    if (g_armed.load(std::memory_order_relaxed) == 0) {
        return 0;
    }
    Armed& s = slot(step);
    const int error = s.error.load();
    if (error == 0) {
        return 0;
    }
    int left = s.countdown.load();
    if (left < 0) {
        return error; // every run
    }
    while (left > 0) {
        if (s.countdown.compare_exchange_weak(left, left - 1)) {
            return 0;
        }
        if (left < 0) {
            return error;
        }
    }
    // This run fails, and only this one.
    int expected = error;
    if (s.error.compare_exchange_strong(expected, 0)) {
        g_armed.fetch_sub(1);
        return error;
    }
    return 0;
}

} // namespace zentory::platform
