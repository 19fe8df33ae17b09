#include "PrintPages.h"

#include "platform/win32/Utf16.h"

#include <algorithm>

namespace zentory::win32 {

namespace {

constexpr int kPoints = 10;

int lineHeight(HDC dc) {
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    return metrics.tmHeight + metrics.tmExternalLeading;
}

} // namespace

PrintFont::PrintFont(HDC dc) : m_dc(dc), m_font(createPrintFont(dc)) {
    m_old = SelectObject(dc, m_font);
}

PrintFont::~PrintFont() {
    SelectObject(m_dc, m_old);
    DeleteObject(m_font);
}

HFONT createPrintFont(HDC dc) {
    return CreateFontW(-MulDiv(kPoints, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, FW_NORMAL,
                       FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN,
                       L"Courier New");
}

window::PrintLayout layoutFor(const window::PrintDocument& document, HDC dc) {
    return window::PrintLayout(
        document, {GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES), lineHeight(dc),
                   [dc](std::string_view text) {
                       const std::wstring wide = platform::widen(std::string(text));
                       // Tabs at every eighth letter: no tab stops given.
                       const DWORD size = GetTabbedTextExtentW(
                           dc, wide.c_str(), static_cast<int>(wide.size()), 0, nullptr);
                       return static_cast<int>(LOWORD(size));
                   }});
}

void drawPage(HDC dc, const window::PrintLayout& layout, size_t page) {
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    SetTextAlign(dc, TA_TOP | TA_LEFT | TA_NOUPDATECP);
    for (const window::PlacedText& text : layout.Page(page)) {
        const std::wstring wide = platform::widen(text.text);
        TabbedTextOutW(dc, text.x, text.y, wide.c_str(), static_cast<int>(wide.size()), 0, nullptr,
                       text.x);
    }
}

bool drawPages(const window::PrintDocument& document, HDC dc, size_t first, size_t last) {
    const PrintFont font(dc);
    const window::PrintLayout layout = layoutFor(document, dc);
    for (size_t page = first; page < std::min(last, layout.PageCount()); ++page) {
        if (StartPage(dc) <= 0) {
            return false;
        }
        drawPage(dc, layout, page);
        if (EndPage(dc) <= 0) {
            return false;
        }
    }
    return true;
}

bool printDocumentOn(const window::PrintDocument& document, HDC dc,
                     const std::vector<std::pair<size_t, size_t>>& ranges) {
    const std::wstring name = platform::widen(document.title);
    DOCINFOW info{};
    info.cbSize = sizeof info;
    info.lpszDocName = name.c_str();
    if (StartDocW(dc, &info) <= 0) {
        return false;
    }
    bool printed = true;
    if (ranges.empty()) {
        printed = drawPages(document, dc, 0, SIZE_MAX);
    }
    for (const auto& [from, to] : ranges) {
        printed = printed && drawPages(document, dc, from > 0 ? from - 1 : 0, to);
    }
    if (!printed) {
        AbortDoc(dc);
        return false;
    }
    return EndDoc(dc) > 0;
}

} // namespace zentory::win32
