#pragma once
// The work a folder walk shares among its threads: folders to read, and
// chunks of files whose sizes and times are to be looked up. A thread takes
// one task at a time; the walk is over once none is left and no thread is
// busy with one, or once it is stopped or failed. Threads beyond the crew's
// size rest here until it grows.

#include "listing/WalkLookups.h"
#include "listing/WalkRecords.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <vector>

namespace zentory::walk {

// A folder to read, or a chunk of files to look up; neither once the walk is over.
struct Task {
    Folder* folder = nullptr;
    Lookup lookup;
    bool any() const { return folder != nullptr || lookup.folder != nullptr; }
};

class Tasks {
public:
    // The next task for the thread `index`, look-ups first (each holds a
    // folder open). `wasHolding`: the thread is done with a task it took.
    Task take(bool wasHolding, unsigned index);
    // Offers children[from...] to all threads, the first of them to be taken first.
    void publish(const std::vector<Folder*>& children, size_t from);
    // Offers chunks of look-ups to all threads.
    void publish(const std::vector<Lookup>& lookups);
    // Ends the walk with `e`, the first failure, for every thread.
    void fail(std::exception_ptr e);
    // Ends the walk for every thread: each returns once its task is done.
    void stop();
    std::exception_ptr failure() const { return m_failure; } // once every thread is joined

    // The crew's size: threads 0 to size - 1 take tasks, the others rest.
    void resize(unsigned threads);
    unsigned size() const { return m_active.load(std::memory_order_relaxed); }
    // Threads that wait for a task at this moment (read without a lock).
    size_t waiting() const { return m_waiting.load(std::memory_order_relaxed); }
    // Whether a thread waited for a task since the last call.
    bool starved() { return m_starved.exchange(false, std::memory_order_relaxed); }

private:
    std::mutex m_mutex;                // guards everything below up to m_failure
    std::condition_variable m_wake;    // for threads waiting for a task
    std::condition_variable m_resting; // for threads beyond the crew's size
    std::vector<Folder*> m_stack;      // folders to read, the next one last
    std::vector<Lookup> m_lookups;     // chunks of files to look up
    size_t m_busy = 0;                 // threads with a task in hand
    bool m_stopped = false;            // cancelled: no more tasks are handed out
    std::exception_ptr m_failure;
    std::atomic<unsigned> m_active{1};
    std::atomic<size_t> m_waiting{0};
    std::atomic<bool> m_starved{false};
};

} // namespace zentory::walk
