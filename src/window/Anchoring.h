#pragma once
// How the controls of a resizable dialog follow its size: the list grows with
// the window, and every other control keeps its place relative to the corner
// it lies nearest to, as read from the template's rectangles. Units are the
// caller's (dialog units or pixels); only the controls' relations count.

#include <cstddef>
#include <vector>

namespace zentory::window {

struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    int right() const { return left + width; }
    int bottom() const { return top + height; }
    bool operator==(const Rect&) const = default;
};

// What one edge pair follows: the left (top) side, the right (bottom) side, or
// both, so that the control stretches.
enum class Anchor { Start, End, Stretch };

struct Anchors {
    Anchor x = Anchor::Start;
    Anchor y = Anchor::Start;
    bool operator==(const Anchors&) const = default;
};

// The anchors of `control` in a dialog whose list is `list`. Across: a
// control as wide as the list or wider (the list, its group boxes, the texts
// above and below it) stretches; one whose middle lies right of the list's
// middle stays at the right; the rest stays at the left. Down: a control that
// spans the list's height stretches; one below the list's bottom stays at the
// bottom; the rest stays at the top.
Anchors AnchorsFor(const Rect& control, const Rect& list);

// `rect` in a dialog grown by `dx` and `dy` beyond its template size.
Rect Anchored(const Rect& rect, Anchors anchors, int dx, int dy);

// The controls of one dialog, placed for the client area's size.
class AnchoredLayout {
public:
    // `rects` as the controls lie at the dialog's template size `width` x
    // `height`; `list` is the index of the list among them.
    AnchoredLayout(std::vector<Rect> rects, size_t list, int width, int height);

    // Where control `i` goes in a client area of `width` x `height`; never
    // smaller than the template's.
    Rect Place(size_t i, int width, int height) const;
    size_t size() const { return m_rects.size(); }
    int MinHeight() const { return m_height; }

private:
    std::vector<Rect> m_rects;
    std::vector<Anchors> m_anchors;
    int m_width;
    int m_height;
};

} // namespace zentory::window
