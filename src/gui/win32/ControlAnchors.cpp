#include "ControlAnchors.h"

namespace zentory::win32 {

namespace {

int dpiOf(HWND hwnd) {
    const UINT dpi = GetDpiForWindow(hwnd);
    return dpi != 0 ? static_cast<int>(dpi) : 96;
}

} // namespace

void ControlAnchors::Attach(HWND dialog, int listId) {
    m_dialog = dialog;
    m_dpi = dpiOf(dialog);
    const HWND list = GetDlgItem(dialog, listId);
    std::vector<window::Rect> rects;
    size_t listIndex = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        if (!GetWindowRect(child, &r)) {
            continue;
        }
        // Screen to client: the result is an offset, which may well be 0.
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        if (child == list) {
            listIndex = rects.size();
        }
        m_controls.push_back(child);
        rects.push_back({r.left, r.top, r.right - r.left, r.bottom - r.top});
    }
    RECT client{};
    if (list == nullptr || !GetClientRect(dialog, &client)) {
        return;
    }
    m_layout = std::make_unique<window::AnchoredLayout>(std::move(rects), listIndex, client.right,
                                                        client.bottom);
    // A sizing frame and a maximise box around the same client area.
    const LONG_PTR style = GetWindowLongPtrW(dialog, GWL_STYLE) | WS_THICKFRAME | WS_MAXIMIZEBOX;
    SetLastError(0);
    if (SetWindowLongPtrW(dialog, GWL_STYLE, style) == 0 && GetLastError() != 0) {
        return;
    }
    RECT frame = client;
    if (!AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(style), GetMenu(dialog) != nullptr,
                                  static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)),
                                  static_cast<UINT>(m_dpi))) {
        return;
    }
    m_minFrame = {frame.right - frame.left, frame.bottom - frame.top};
    if (!SetWindowPos(dialog, nullptr, 0, 0, m_minFrame.cx, m_minFrame.cy,
                      SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED)) {
        m_layout.reset(); // the frame stays as the template made it
    }
}

int ControlAnchors::Scale(int value) const {
    return MulDiv(value, dpiOf(m_dialog), m_dpi);
}

int ControlAnchors::Unscale(int value) const {
    return MulDiv(value, m_dpi, dpiOf(m_dialog));
}

void ControlAnchors::OnSize() {
    RECT client{};
    if (m_layout == nullptr || !GetClientRect(m_dialog, &client)) {
        return;
    }
    HDWP moves = BeginDeferWindowPos(static_cast<int>(m_controls.size()));
    for (size_t i = 0; i < m_controls.size() && moves != nullptr; ++i) {
        const window::Rect r = m_layout->Place(i, Unscale(client.right), Unscale(client.bottom));
        moves = DeferWindowPos(moves, m_controls[i], nullptr, Scale(r.left), Scale(r.top),
                               Scale(r.width), Scale(r.height), SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // Group boxes draw no ground of their own: what they leave is painted anew.
    if (moves != nullptr && EndDeferWindowPos(moves)) {
        InvalidateRect(m_dialog, nullptr, TRUE);
    }
}

void ControlAnchors::OnGetMinMaxInfo(MINMAXINFO& info) const {
    if (m_layout != nullptr) {
        info.ptMinTrackSize = {Scale(m_minFrame.cx), Scale(m_minFrame.cy)};
    }
}

} // namespace zentory::win32
