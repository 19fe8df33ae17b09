#include "platform/Clock.h"

#include <ctime>
#include <mutex>

namespace zentory::platform {

namespace {
std::mutex g_mutex;
std::optional<LocalTime> g_fixed;
} // namespace

LocalTime localNow() {
    {
        std::lock_guard lock(g_mutex);
        if (g_fixed) {
            return *g_fixed;
        }
    }
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min};
}

long localOffset(int64_t utcSeconds) {
    const auto t = static_cast<std::time_t>(utcSeconds);
    std::tm tm{};
    if (localtime_r(&t, &tm) == nullptr) {
        return 0;
    }
    return tm.tm_gmtoff;
}

void setClockForTesting(std::optional<LocalTime> fixed) {
    std::lock_guard lock(g_mutex);
    g_fixed = fixed;
}

} // namespace zentory::platform
