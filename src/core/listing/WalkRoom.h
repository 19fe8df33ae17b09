#pragma once
// Room for the folder walk's open folders when the process or the system runs
// short of open files or memory. Each thread tells the room when it holds a
// folder open and when it lets go of it; a thread whose open failed for lack
// of resources waits here until another one lets go, then tries again.

#include "listing/ScanWatch.h"
#include "platform/Directory.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>

namespace zentory::walk {

// Whether a folder failed to open or read for lack of open files or memory,
// which another try may overcome, rather than for what the folder is.
inline bool isShortage(int err) {
    return err == EMFILE || err == ENFILE || err == ENOMEM;
}

class Room {
public:
    // A thread holds a folder open.
    void opened() { m_holders.fetch_add(1); }
    // It has let go of it (closed, or kept for its sub-folders).
    void closed() {
        m_holders.fetch_sub(1);
        if (m_waiters.load() > 0) {
            std::lock_guard lock(m_mutex);
            ++m_closings;
            m_wake.notify_all();
        }
    }

    // After a try to open a folder failed for lack of resources: returns true
    // once another try is worth it, false when the walk should do without the
    // folder. While other threads hold folders open it waits for one of them
    // to let go; with none holding one the shortage lies beyond the walk, and
    // it waits a little longer each time, `tries` counting, up to kLastTries
    // times, or not at all once the walk has done without a folder.
    bool waitForRoom(int& tries, const ScanWatch* watch);
    // The walk does without a folder it could not open.
    void gaveUp() { m_gaveUp.store(true, std::memory_order_relaxed); }

    static constexpr int kLastTries = 4;

private:
    std::atomic<size_t> m_holders{0};
    std::atomic<size_t> m_waiters{0};
    std::atomic<bool> m_gaveUp{false};
    std::mutex m_mutex; // guards m_closings
    std::condition_variable m_wake;
    size_t m_closings = 0;
};

// Holds a folder open for as long as it lives: tells the room at its end,
// however the read ends, once `dir` is closed or kept.
class Holding {
public:
    Holding(Room& room, platform::Directory& dir) : m_room(room), m_dir(dir) { m_room.opened(); }
    ~Holding() {
        m_dir.close();
        m_room.closed();
    }
    Holding(const Holding&) = delete;
    Holding& operator=(const Holding&) = delete;

private:
    Room& m_room;
    platform::Directory& m_dir;
};

} // namespace zentory::walk
