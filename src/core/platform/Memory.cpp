#include "platform/Memory.h"

#include <cstdint>
#include <sys/mman.h>

namespace zentory::platform {

void adviseLargePages(void* block, size_t bytes) noexcept {
#ifdef MADV_HUGEPAGE
    constexpr uintptr_t kLargePage = uintptr_t{2} << 20;
    const auto begin = reinterpret_cast<uintptr_t>(block);
    const uintptr_t first = (begin + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t last = (begin + bytes) & ~(kLargePage - 1);
    if (last > first) {
        (void)::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
#else
    (void)block;
    (void)bytes;
#endif
}

} // namespace zentory::platform
