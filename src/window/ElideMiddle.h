#pragma once
// A text too long for its place, shortened in the middle: as much of its start
// and of its end as fits around an ellipsis, so that a path keeps both its
// drive or root and the folder's own name. The front end measures; the choice
// of what to keep is made here, for every front end alike.

#include <cstddef>
#include <functional>

namespace zentory::window {

// How much of a text to keep: `head` units from its start, `tail` from its end.
struct MiddleCut {
    size_t head = 0;
    size_t tail = 0;

    bool operator==(const MiddleCut&) const = default;
};

// The longest cut of a text of `length` units (letters, or UTF-16 units) that
// `fits`, which tells whether head units, an ellipsis and tail units fit;
// the end keeps the odd unit. A text that fits whole is the caller's to show
// whole; when not even the ellipsis alone fits, nothing is kept.
MiddleCut ElideMiddle(size_t length, const std::function<bool(size_t head, size_t tail)>& fits);

} // namespace zentory::window
