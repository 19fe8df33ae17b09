#include "ElideMiddle.h"

namespace zentory::window {

namespace {

MiddleCut cutKeeping(size_t kept) {
    return {kept / 2, kept - kept / 2};
}

} // namespace

MiddleCut ElideMiddle(size_t length, const std::function<bool(size_t head, size_t tail)>& fits) {
    // The widths grow with what is kept: the longest that fits is found by halving.
    size_t low = 0;                             // fits, or is nothing
    size_t high = length == 0 ? 0 : length - 1; // at most all but one unit around the ellipsis
    while (low < high) {
        const size_t middle = low + (high - low + 1) / 2;
        const MiddleCut cut = cutKeeping(middle);
        if (fits(cut.head, cut.tail)) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return cutKeeping(low);
}

} // namespace zentory::window
