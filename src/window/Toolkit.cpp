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

bool Toolkit::RunBesideLoop(CDialog& owner, std::function<void()> work, CProgressDlg& progress,
                            std::chrono::milliseconds delay) {
    return runBesideLoop(OpenBesideLoop(owner), std::move(work), progress, delay);
}

} // namespace zentory::window
