#include "platform/Clock.h"

#include <mutex>
#include <windows.h>

namespace zentory::platform {

namespace {
std::mutex g_mutex;
std::optional<LocalTime> g_fixed;

constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kFrom1601To1970 = 11'644'473'600;

int64_t ticksOf(const SYSTEMTIME& st, bool& ok) {
    FILETIME ft;
    ok = SystemTimeToFileTime(&st, &ft) != 0;
    return static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) |
                                ft.dwLowDateTime);
}
} // namespace

LocalTime localNow() {
    {
        std::lock_guard lock(g_mutex);
        if (g_fixed) {
            return *g_fixed;
        }
    }
    SYSTEMTIME st;
    GetLocalTime(&st);
    return {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute};
}

long localOffset(int64_t utcSeconds) {
    const int64_t ticks = (utcSeconds + kFrom1601To1970) * kTicksPerSecond;
    if (ticks < 0) {
        return 0;
    }
    FILETIME utc{static_cast<DWORD>(ticks & 0xffffffff), static_cast<DWORD>(ticks >> 32)};
    SYSTEMTIME utcTime, localTime;
    if (!FileTimeToSystemTime(&utc, &utcTime)) {
        return 0;
    }
    // The zone's rules for that year, daylight saving time included; the
    // current rules where the system keeps none for it.
    DYNAMIC_TIME_ZONE_INFORMATION zone;
    TIME_ZONE_INFORMATION rules;
    const bool ofTheYear = GetDynamicTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID &&
                           GetTimeZoneInformationForYear(utcTime.wYear, &zone, &rules);
    if (!SystemTimeToTzSpecificLocalTime(ofTheYear ? &rules : nullptr, &utcTime, &localTime)) {
        return 0;
    }
    bool ok = false;
    const int64_t local = ticksOf(localTime, ok);
    if (!ok) {
        return 0;
    }
    return static_cast<long>((local - ticks) / kTicksPerSecond);
}

void setClockForTesting(std::optional<LocalTime> fixed) {
    std::lock_guard lock(g_mutex);
    g_fixed = fixed;
}

} // namespace zentory::platform
