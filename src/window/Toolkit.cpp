#include "Toolkit.h"

#include <stdexcept>

namespace zentory::window {

namespace {
Toolkit* g_toolkit = nullptr;
} // namespace

Toolkit& Toolkit::Current() {
    if (g_toolkit == nullptr) {
        throw std::logic_error("no toolkit is installed to draw the window");
    }
    return *g_toolkit;
}

void Toolkit::Install(Toolkit* toolkit) {
    g_toolkit = toolkit;
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

} // namespace zentory::window
