#pragma once
// A static of style SS_PATHELLIPSIS, drawn by the program: a text too long for
// it is shortened in the middle (the drive and the folder's own name stay
// visible, as in the Qt window), and the whole text is its tooltip. The
// control keeps its whole text, with its "&" prefix characters, as its window
// text, so that the logic reads back what it put there.

#include "WinApi.h"

#include <string>

namespace zentory::win32 {

class PathLabel {
public:
    // Takes over the drawing of `label`, a static of `dialog`; none when null.
    void Attach(HWND dialog, HWND label);
    // WM_DRAWITEM and WM_NOTIFY of the dialog: true when they were the label's.
    bool OnDrawItem(const DRAWITEMSTRUCT& item) const;
    bool OnNotify(const NMHDR& header);

    // What the label shows: its text without prefix characters, shortened
    // in the middle to its width in its font.
    std::wstring ShownText() const;
    // Its whole text without prefix characters: the tooltip.
    std::wstring FullText() const;
    HWND Tooltip() const { return m_tooltip; }
    // Draws the label anew, at its new width.
    void Invalidate() const;

private:
    HWND m_label = nullptr;
    HWND m_tooltip = nullptr;
    std::wstring m_tip; // what the tooltip shows while it is up
};

} // namespace zentory::win32
