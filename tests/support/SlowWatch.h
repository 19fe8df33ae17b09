#pragma once
// A watch that slows a folder walk down, so that a test can see it running.

#include "listing/ScanWatch.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>

namespace zentory::test {

// Takes `pause` for each folder the walk enters below the chosen one, and
// counts the folders entered once the walk was cancelled.
class SlowWatch : public ScanWatch {
public:
    explicit SlowWatch(std::chrono::milliseconds pause) : m_pause(pause) {}
    void enteringFolder() override {
        if (cancelled()) {
            m_enteredAfterCancel.fetch_add(1, std::memory_order_relaxed);
        }
        std::this_thread::sleep_for(m_pause);
    }
    size_t enteredAfterCancel() const {
        return m_enteredAfterCancel.load(std::memory_order_relaxed);
    }

private:
    std::chrono::milliseconds m_pause;
    std::atomic<size_t> m_enteredAfterCancel{0};
};

// A slow file system as the walk sees it: each folder entered takes `pause`,
// as a round trip to a share does, however many threads wait at once. Counts
// how many threads were inside at the same time, at most.
class CrowdWatch : public ScanWatch {
public:
    explicit CrowdWatch(std::chrono::milliseconds pause) : m_pause(pause) {}
    void enteringFolder() override {
        const size_t inside = m_inside.fetch_add(1) + 1;
        size_t most = m_most.load();
        while (inside > most && !m_most.compare_exchange_weak(most, inside)) {
        }
        std::this_thread::sleep_for(m_pause);
        m_inside.fetch_sub(1);
    }
    size_t mostAtOnce() const { return m_most.load(); }

private:
    std::chrono::milliseconds m_pause;
    std::atomic<size_t> m_inside{0};
    std::atomic<size_t> m_most{0};
};

// A gate that walking threads wait at once their walk is cancelled, until the
// test opens it: a window that waited for a cancelled walk to end would wait
// at the gate. The gate opens by itself after a minute, and says so.
class CancelGate {
public:
    void open() {
        const std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    // Waits at the gate; true if it had to open by itself.
    bool wait() {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, std::chrono::minutes(1), [this] { return m_open; })) {
            m_open = m_openedByItself = true;
        }
        return m_openedByItself;
    }
    bool openedByItself() {
        const std::lock_guard lock(m_mutex);
        return m_openedByItself;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
    bool m_openedByItself = false;
};

// Takes `pause` for each folder the walk enters, as SlowWatch does; once the
// walk is cancelled, a thread that comes out of a pause waits at `gate`.
class GatedWatch : public ScanWatch {
public:
    GatedWatch(std::chrono::milliseconds pause, std::shared_ptr<CancelGate> gate)
        : m_pause(pause), m_gate(std::move(gate)) {}
    void enteringFolder() override {
        std::this_thread::sleep_for(m_pause);
        if (cancelled()) {
            m_gate->wait();
        }
    }

private:
    std::chrono::milliseconds m_pause;
    std::shared_ptr<CancelGate> m_gate;
};

// Takes `pause` for each file whose size and time the walk looks up, as a
// round trip to a share does; counts the look-ups, and those begun once the
// walk was cancelled. With a gate, the first look-up waits there first.
class LookupWatch : public ScanWatch {
public:
    explicit LookupWatch(std::chrono::milliseconds pause, CancelGate* gate = nullptr)
        : m_pause(pause), m_gate(gate) {}
    void lookingUp() override {
        if (m_gate != nullptr && m_lookups.load() == 0) {
            m_gate->wait();
        }
        m_lookups.fetch_add(1);
        if (cancelled()) {
            m_afterCancel.fetch_add(1);
        }
        std::this_thread::sleep_for(m_pause);
    }
    size_t lookups() const { return m_lookups.load(); }
    size_t lookupsAfterCancel() const { return m_afterCancel.load(); }

private:
    std::chrono::milliseconds m_pause;
    CancelGate* m_gate;
    std::atomic<size_t> m_lookups{0};
    std::atomic<size_t> m_afterCancel{0};
};

} // namespace zentory::test
