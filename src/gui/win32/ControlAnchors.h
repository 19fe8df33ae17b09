#pragma once
// A dialog made resizable: a sizing frame and a maximise box, the template's
// size as its smallest, and its controls following the client area's size by
// the window logic's anchoring rule, the list growing with it. Sizes are kept
// in the pixels of the DPI the dialog was made at and scaled to the DPI of the
// monitor it is now on.

#include "WinApi.h"

#include "Anchoring.h"

#include <memory>
#include <vector>

namespace zentory::win32 {

class ControlAnchors {
public:
    // Makes `dialog` resizable around its control `listId`.
    void Attach(HWND dialog, int listId);
    // WM_SIZE: places the controls for the client area's new size.
    void OnSize();
    // WM_GETMINMAXINFO: the frame no smaller than the template's.
    void OnGetMinMaxInfo(MINMAXINFO& info) const;

private:
    int Scale(int value) const;
    int Unscale(int value) const;

    HWND m_dialog = nullptr;
    std::vector<HWND> m_controls;
    std::unique_ptr<window::AnchoredLayout> m_layout;
    // The DPI the rectangles were taken at, and the frame's smallest size then.
    int m_dpi = 96;
    SIZE m_minFrame{};
};

} // namespace zentory::win32
