#include "listing/WalkRoom.h"

#include <thread>

namespace zentory::walk {

bool Room::waitForRoom(int& tries, const ScanWatch* watch) {
    // Long enough for a busy thread to read its folder; a wake-up missed
    // between two threads costs no more than this.
    constexpr auto kWait = std::chrono::milliseconds(50);
    constexpr auto kPause = std::chrono::milliseconds(10);
    if (watch != nullptr && watch->cancelled()) {
        return false;
    }
    std::unique_lock lock(m_mutex);
    m_waiters.fetch_add(1);
    const size_t closings = m_closings;
    const bool othersHold = m_holders.load() > 0;
    if (othersHold) {
        m_wake.wait_for(lock, kWait,
                        [&] { return m_closings != closings || m_holders.load() == 0; });
    }
    m_waiters.fetch_sub(1);
    lock.unlock();
    if (othersHold) {
        return true;
    }
    if (m_gaveUp.load(std::memory_order_relaxed) || tries >= kLastTries) {
        return false;
    }
    ++tries;
    std::this_thread::sleep_for(kPause * (1 << (tries - 1))); // 10, 20, 40, 80 ms
    return watch == nullptr || !watch->cancelled();
}

} // namespace zentory::walk
