#include "listing/WalkTasks.h"

namespace zentory::walk {

Task Tasks::take(bool wasHolding, unsigned index) {
    std::unique_lock lock(m_mutex);
    if (wasHolding) {
        --m_busy;
    }
    for (;;) {
        const bool none = m_stack.empty() && m_lookups.empty();
        if ((none && m_busy == 0) || m_failure || m_stopped) {
            m_wake.notify_all();
            m_resting.notify_all();
            return {};
        }
        if (index >= m_active.load(std::memory_order_relaxed)) {
            m_resting.wait(lock);
        } else if (none) {
            m_starved.store(true, std::memory_order_relaxed);
            m_waiting.fetch_add(1, std::memory_order_relaxed);
            m_wake.wait(lock);
            m_waiting.fetch_sub(1, std::memory_order_relaxed);
        } else {
            break;
        }
    }
    Task task;
    if (!m_lookups.empty()) {
        task.lookup = m_lookups.back();
        m_lookups.pop_back();
    } else {
        task.folder = m_stack.back();
        m_stack.pop_back();
    }
    ++m_busy;
    return task;
}

void Tasks::publish(const std::vector<Folder*>& children, size_t from) {
    if (children.size() <= from) {
        return;
    }
    std::lock_guard lock(m_mutex);
    for (size_t i = children.size(); i-- > from;) {
        m_stack.push_back(children[i]);
    }
    if (m_waiting.load(std::memory_order_relaxed) > 0) {
        m_wake.notify_all();
    }
}

void Tasks::publish(const std::vector<Lookup>& lookups) {
    if (lookups.empty()) {
        return;
    }
    std::lock_guard lock(m_mutex);
    m_lookups.insert(m_lookups.end(), lookups.begin(), lookups.end());
    if (m_waiting.load(std::memory_order_relaxed) > 0) {
        m_wake.notify_all();
    }
}

void Tasks::fail(std::exception_ptr e) {
    std::lock_guard lock(m_mutex);
    if (!m_failure) {
        m_failure = e;
    }
    m_wake.notify_all();
    m_resting.notify_all();
}

void Tasks::stop() {
    std::lock_guard lock(m_mutex);
    m_stopped = true;
    m_wake.notify_all();
    m_resting.notify_all();
}

void Tasks::resize(unsigned threads) {
    std::lock_guard lock(m_mutex);
    m_active.store(threads, std::memory_order_relaxed);
    m_resting.notify_all();
}

} // namespace zentory::walk
