#pragma once
// Hints to the operating system about large blocks of memory.

#include <cstddef>

namespace zentory::platform {

// Asks for the block to be backed by large pages where the system offers them,
// so that filling a block of many megabytes costs a few page faults instead of
// one per 4 KiB. Only the part that covers whole large pages is affected; the
// call may do nothing.
void adviseLargePages(void* block, size_t bytes) noexcept;

} // namespace zentory::platform
