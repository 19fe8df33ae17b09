#pragma once
// Times of last change as the lists write them: in local time, each with the
// offset that its own instant had (a summer date keeps its summer offset).

#include <array>
#include <cstdint>
#include <string_view>

namespace zentory {

class FileTimes {
public:
    // "YYYY/MM/DD hh:mm", as the footer writes a date.
    std::string_view listTime(int64_t utcSeconds);
    // ISO 8601 with the offset: "2026-12-08T14:03:05+01:00".
    std::string_view isoTime(int64_t utcSeconds);

    // An instant taken apart in local time.
    struct Local {
        int64_t year;
        int month, day, hour, minute, second;
        long offset; // seconds east of UTC
    };

private:
    Local local(int64_t utcSeconds);
    long offsetAt(int64_t utcSeconds);

    // The offset of recent minutes: looking it up costs far more than the rest.
    struct Slot {
        int64_t minute = INT64_MIN;
        long offset = 0;
    };
    std::array<Slot, 1024> m_slots{};
    char m_text[64];
};

} // namespace zentory
