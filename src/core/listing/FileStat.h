#pragma once
// What the walk learns of a listed file when sizes and times are asked for.

#include <cstdint>

namespace zentory {

struct FileStat {
    // In bytes; -1 when the entry leads nowhere (a dangling link) or cannot be looked at.
    int64_t size = -1;
    // The time of last change, in seconds since 1970 (UTC); 0 when size is -1.
    int64_t modified = 0;

    bool known() const { return size >= 0; }
};

} // namespace zentory
