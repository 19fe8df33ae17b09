#include "app/StartOptions.h"

#include "platform/Environment.h"

#include <algorithm>
#include <string_view>

namespace zentory::qt {

namespace {

// Whether a display server is needed by, and there for, Qt's platform `name`.
bool platformCanStart(std::string_view name, const std::string& x11Display,
                      const std::string& waylandDisplay) {
    if (name == "xcb") {
        return !x11Display.empty();
    }
    if (name.starts_with("wayland")) {
        return !waylandDisplay.empty();
    }
    // offscreen, vnc, eglfs and the like draw without a display server.
    return !name.empty();
}

} // namespace

std::string displayProblem(const std::string& platforms, const std::string& x11Display,
                           const std::string& waylandDisplay) {
    if (platforms.empty()) {
        return x11Display.empty() && waylandDisplay.empty()
                   ? "no display: neither DISPLAY nor WAYLAND_DISPLAY is set (zentory-cli "
                     "works without one)"
                   : "";
    }
    // A list of platforms to try in turn, separated by ';'; options follow a ':'.
    std::string_view rest = platforms;
    while (!rest.empty()) {
        const std::string_view entry = rest.substr(0, rest.find(';'));
        rest.remove_prefix(std::min(rest.size(), entry.size() + 1));
        if (platformCanStart(entry.substr(0, entry.find(':')), x11Display, waylandDisplay)) {
            return "";
        }
    }
    return "no display for QT_QPA_PLATFORM=" + platforms +
           ": DISPLAY or WAYLAND_DISPLAY is not set (zentory-cli works without one)";
}

std::string displayProblem() {
    return displayProblem(platform::environmentValue("QT_QPA_PLATFORM"),
                          platform::environmentValue("DISPLAY"),
                          platform::environmentValue("WAYLAND_DISPLAY"));
}

} // namespace zentory::qt
