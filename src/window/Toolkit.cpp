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

std::thread StartBeside(const std::function<void()>& work, std::exception_ptr& failure,
                        std::function<void()> ended) {
    return std::thread([&work, &failure, ended = std::move(ended)] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
        ended();
    });
}

} // namespace zentory::window
