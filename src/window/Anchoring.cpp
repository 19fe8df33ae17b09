#include "Anchoring.h"

#include <algorithm>
#include <utility>

namespace zentory::window {

Anchors AnchorsFor(const Rect& control, const Rect& list) {
    Anchors anchors;
    if (control.left <= list.left && control.right() >= list.right()) {
        anchors.x = Anchor::Stretch;
    } else if (control.left + control.right() > list.left + list.right()) {
        anchors.x = Anchor::End;
    }
    if (control.top <= list.top && control.bottom() >= list.bottom()) {
        anchors.y = Anchor::Stretch;
    } else if (control.top >= list.bottom()) {
        anchors.y = Anchor::End;
    }
    return anchors;
}

namespace {

// One side's start and length after the dialog grew by `grown`.
void follow(Anchor anchor, int grown, int& start, int& length) {
    if (anchor == Anchor::End) {
        start += grown;
    } else if (anchor == Anchor::Stretch) {
        length += grown;
    }
}

} // namespace

Rect Anchored(const Rect& rect, Anchors anchors, int dx, int dy) {
    Rect placed = rect;
    follow(anchors.x, dx, placed.left, placed.width);
    follow(anchors.y, dy, placed.top, placed.height);
    return placed;
}

AnchoredLayout::AnchoredLayout(std::vector<Rect> rects, size_t list, int width, int height)
    : m_rects(std::move(rects)), m_width(width), m_height(height) {
    for (const Rect& rect : m_rects) {
        m_anchors.push_back(AnchorsFor(rect, m_rects.at(list)));
    }
}

Rect AnchoredLayout::Place(size_t i, int width, int height) const {
    return Anchored(m_rects[i], m_anchors[i], std::max(width - m_width, 0),
                    std::max(height - m_height, 0));
}

} // namespace zentory::window
