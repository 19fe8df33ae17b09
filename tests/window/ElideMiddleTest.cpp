// A text shortened in the middle, with every letter one unit wide and the
// ellipsis `ellipsis` units: what is kept of its start and of its end.

#include "ElideMiddle.h"

#include <gtest/gtest.h>

#include <string>

using zentory::window::ElideMiddle;
using zentory::window::MiddleCut;

namespace {

// What a label of `width` units shows of `text`, shortened with "…".
std::string shown(const std::string& text, size_t width, size_t ellipsis = 1) {
    if (text.size() <= width) {
        return text;
    }
    const MiddleCut cut = ElideMiddle(
        text.size(), [&](size_t head, size_t tail) { return head + ellipsis + tail <= width; });
    return text.substr(0, cut.head) + "…" + text.substr(text.size() - cut.tail);
}

TEST(ElideMiddle, KeepsTheStartAndTheEndAroundTheEllipsisTheEndTakingTheOddLetter) {
    struct Case {
        std::string text;
        size_t width, ellipsis;
        std::string shown;
    };
    const Case cases[] = {
        {"/home/me/Projects/2024/Holidays/...", 100, 1, "/home/me/Projects/2024/Holidays/..."},
        {"/home/me/Projects/2024/Holidays/...", 20, 1, "/home/me/…lidays/..."},
        {"/home/me/Projects/2024/Holidays/...", 21, 1, "/home/me/P…lidays/..."},
        {"/home/me/Projects/2024/Holidays/...", 20, 3, "/home/me…idays/..."},
        {"abcdef", 5, 1, "ab…ef"},
        {"abcdef", 2, 1, "…f"},
        {"abcdef", 1, 1, "…"},
        {"abcdef", 0, 1, "…"}, // not even the ellipsis: nothing of the text
    };
    for (const Case& c : cases) {
        EXPECT_EQ(shown(c.text, c.width, c.ellipsis), c.shown) << c.width << " " << c.text;
    }
    EXPECT_EQ(ElideMiddle(0, [](size_t, size_t) { return true; }), (MiddleCut{0, 0}));
}

} // namespace
