#pragma once
// The local date and time of one instant, from a clock that tests can set.

#include <cstdint>
#include <optional>

namespace zentory::platform {

struct LocalTime {
    int year = 0;   // four digits, such as 2007
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to 31
    int hour = 0;   // 0 to 23
    int minute = 0; // 0 to 59
};

// Now, in local time.
LocalTime localNow();

// Seconds east of UTC of local time at the instant `utcSeconds` (seconds since
// 1970, UTC), as the time zone of the process has it then.
long localOffset(int64_t utcSeconds);

// Test seam: makes localNow() answer `fixed` until reset with nullopt.
void setClockForTesting(std::optional<LocalTime> fixed);

} // namespace zentory::platform
