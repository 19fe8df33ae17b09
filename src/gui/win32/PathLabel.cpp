#include "PathLabel.h"

#include "ElideMiddle.h"

namespace zentory::win32 {

namespace {

constexpr wchar_t kEllipsis[] = L"\u2026";

std::wstring windowText(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

// What a static without SS_NOPREFIX shows: "&&" as "&", a single "&" dropped.
std::wstring withoutPrefixes(const std::wstring& text) {
    std::wstring shown;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&') {
            if (i + 1 < text.size() && text[i + 1] == L'&') {
                shown += L'&';
                ++i;
            }
            continue;
        }
        shown += text[i];
    }
    return shown;
}

// The control's font selected into a screen DC for as long as this lives.
class MeasuringDc {
public:
    explicit MeasuringDc(HWND control) : m_control(control), m_dc(GetDC(control)) {
        const auto font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        m_old = font != nullptr ? SelectObject(m_dc, font) : nullptr;
    }
    ~MeasuringDc() {
        if (m_old != nullptr) {
            SelectObject(m_dc, m_old);
        }
        ReleaseDC(m_control, m_dc);
    }
    MeasuringDc(const MeasuringDc&) = delete;
    MeasuringDc& operator=(const MeasuringDc&) = delete;

    int Width(const std::wstring& text) const {
        SIZE size{};
        GetTextExtentPoint32W(m_dc, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }

private:
    HWND m_control;
    HDC m_dc;
    HGDIOBJ m_old = nullptr;
};

bool isHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool isLowSurrogate(wchar_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

void PathLabel::Attach(HWND dialog, HWND label) {
    m_label = label;
    if (label == nullptr) {
        return;
    }
    // Drawn here; SS_NOTIFY lets the mouse reach it, for the tooltip.
    LONG_PTR style = GetWindowLongPtrW(label, GWL_STYLE);
    style = (style & ~static_cast<LONG_PTR>(SS_TYPEMASK)) | SS_OWNERDRAW | SS_NOTIFY;
    SetWindowLongPtrW(label, GWL_STYLE, style);
    m_tooltip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (m_tooltip == nullptr) {
        return; // the label still shows its text; only the tip is missing
    }
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(label);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    // A long path wraps in the tip rather than running off the screen.
    SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0, GetSystemMetrics(SM_CXSCREEN) / 2);
}

std::wstring PathLabel::FullText() const {
    return m_label != nullptr ? withoutPrefixes(windowText(m_label)) : std::wstring();
}

std::wstring PathLabel::ShownText() const {
    const std::wstring text = FullText();
    RECT client{};
    GetClientRect(m_label, &client);
    const MeasuringDc dc(m_label);
    if (dc.Width(text) <= client.right) {
        return text;
    }
    const int ellipsis = dc.Width(kEllipsis);
    const auto piece = [&](size_t head, size_t tail) {
        // A character outside the BMP is kept whole or not at all.
        while (head > 0 && isHighSurrogate(text[head - 1])) {
            --head;
        }
        while (tail > 0 && isLowSurrogate(text[text.size() - tail])) {
            --tail;
        }
        return std::pair{text.substr(0, head), text.substr(text.size() - tail)};
    };
    const window::MiddleCut cut = window::ElideMiddle(text.size(), [&](size_t head, size_t tail) {
        const auto [start, end] = piece(head, tail);
        return dc.Width(start) + ellipsis + dc.Width(end) <= client.right;
    });
    const auto [start, end] = piece(cut.head, cut.tail);
    return start + kEllipsis + end;
}

void PathLabel::Invalidate() const {
    if (m_label != nullptr) {
        InvalidateRect(m_label, nullptr, TRUE);
    }
}

bool PathLabel::OnDrawItem(const DRAWITEMSTRUCT& item) const {
    if (m_label == nullptr || item.hwndItem != m_label) {
        return false;
    }
    const HWND dialog = GetParent(m_label);
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(dialog, WM_CTLCOLORSTATIC,
                                                       reinterpret_cast<WPARAM>(item.hDC),
                                                       reinterpret_cast<LPARAM>(m_label)));
    FillRect(item.hDC, &item.rcItem, brush != nullptr ? brush : GetSysColorBrush(COLOR_BTNFACE));
    const auto font = reinterpret_cast<HFONT>(SendMessageW(m_label, WM_GETFONT, 0, 0));
    const HGDIOBJ old = font != nullptr ? SelectObject(item.hDC, font) : nullptr;
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC,
                 GetSysColor(IsWindowEnabled(m_label) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    std::wstring shown = ShownText();
    RECT rect = item.rcItem;
    DrawTextW(item.hDC, shown.data(), static_cast<int>(shown.size()), &rect,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    if (old != nullptr) {
        SelectObject(item.hDC, old);
    }
    return true;
}

bool PathLabel::OnNotify(const NMHDR& header) {
    if (m_tooltip == nullptr || header.hwndFrom != m_tooltip || header.code != TTN_GETDISPINFOW) {
        return false;
    }
    auto& info = const_cast<NMTTDISPINFOW&>(reinterpret_cast<const NMTTDISPINFOW&>(header));
    m_tip = FullText();
    info.lpszText = m_tip.data();
    return true;
}

} // namespace zentory::win32
