#include "export/FileTimes.h"

#include "platform/Clock.h"

#include <cinttypes>
#include <cstdio>

namespace zentory {

namespace {

int64_t floorDivide(int64_t a, int64_t b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

// Writes `value` (0 to 99) as two digits.
char* two(char* out, int value) {
    out[0] = static_cast<char>('0' + value / 10);
    out[1] = static_cast<char>('0' + value % 10);
    return out + 2;
}

char* year(char* out, int64_t y) {
    if (y < 0 || y > 9999) {
        return out + std::snprintf(out, 24, "%" PRId64, y);
    }
    out = two(out, static_cast<int>(y / 100));
    return two(out, static_cast<int>(y % 100));
}

} // namespace

long FileTimes::offsetAt(int64_t utcSeconds) {
    const int64_t minute = floorDivide(utcSeconds, 60);
    Slot& slot = m_slots[static_cast<uint64_t>(minute) % m_slots.size()];
    if (slot.minute == minute) {
        return slot.offset;
    }
    const long first = platform::localOffset(minute * 60);
    if (platform::localOffset(minute * 60 + 59) != first) {
        return platform::localOffset(utcSeconds); // the offset changes within this minute
    }
    slot = Slot{minute, first};
    return first;
}

FileTimes::Local FileTimes::local(int64_t utcSeconds) {
    // Far beyond any calendar a file system keeps; bounded so that no step overflows.
    constexpr int64_t kBound = int64_t{1} << 52;
    utcSeconds = utcSeconds < -kBound ? -kBound : utcSeconds > kBound ? kBound : utcSeconds;
    Local l{};
    l.offset = offsetAt(utcSeconds);
    const int64_t t = utcSeconds + l.offset;
    const int64_t days = floorDivide(t, 86400);
    const int64_t secs = t - days * 86400;
    l.hour = static_cast<int>(secs / 3600);
    l.minute = static_cast<int>(secs / 60 % 60);
    l.second = static_cast<int>(secs % 60);
    // The civil date of a day number (days since 1970-01-01), by eras of 400 years.
    const int64_t z = days + 719468;
    const int64_t era = floorDivide(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    l.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    l.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    l.year = yoe + era * 400 + (l.month <= 2);
    return l;
}

namespace {

// "YYYY" dateMark "MM" dateMark "DD" between "hh" ":" "mm", from `out` on.
char* dateAndMinute(char* out, const FileTimes::Local& l, char dateMark, char between) {
    out = year(out, l.year);
    *out++ = dateMark;
    out = two(out, l.month);
    *out++ = dateMark;
    out = two(out, l.day);
    *out++ = between;
    out = two(out, l.hour);
    *out++ = ':';
    return two(out, l.minute);
}

} // namespace

std::string_view FileTimes::listTime(int64_t utcSeconds) {
    const char* end = dateAndMinute(m_text, local(utcSeconds), '/', ' ');
    return std::string_view(m_text, static_cast<size_t>(end - m_text));
}

std::string_view FileTimes::isoTime(int64_t utcSeconds) {
    const Local l = local(utcSeconds);
    char* out = dateAndMinute(m_text, l, '-', 'T');
    *out++ = ':';
    out = two(out, l.second);
    const long offsetMinutes = (l.offset < 0 ? -l.offset : l.offset) / 60;
    *out++ = l.offset < 0 ? '-' : '+';
    out = two(out, static_cast<int>(offsetMinutes / 60 % 100));
    *out++ = ':';
    out = two(out, static_cast<int>(offsetMinutes % 60));
    return std::string_view(m_text, static_cast<size_t>(out - m_text));
}

} // namespace zentory
