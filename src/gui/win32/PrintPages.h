#pragma once
// The printed list on Windows: the page layout of the window logic, measured
// with a fixed-pitch font of 10 points on the printer's device context and
// drawn there with GDI, tabs at every eighth letter.

#include "WinApi.h"

#include "PrintLayout.h"

#include <utility>
#include <vector>

namespace zentory::win32 {

// The list's font on `dc`; the caller deletes it.
HFONT createPrintFont(HDC dc);
// The layout of `document` on the printable area of `dc`, with the list's font selected.
window::PrintLayout layoutFor(const window::PrintDocument& document, HDC dc);
// Draws the texts of page `page` of `layout` on `dc`, whose font is the list's.
void drawPage(HDC dc, const window::PrintLayout& layout, size_t page);
// Selects the list's font into `dc` for as long as it lives.
class PrintFont {
public:
    explicit PrintFont(HDC dc);
    ~PrintFont();
    PrintFont(const PrintFont&) = delete;
    PrintFont& operator=(const PrintFont&) = delete;

private:
    HDC m_dc;
    HFONT m_font;
    HGDIOBJ m_old;
};
// Draws pages [first, last) of `document` on `dc`, each between StartPage and
// EndPage; false when the device refused a page.
bool drawPages(const window::PrintDocument& document, HDC dc, size_t first, size_t last);
// Prints `document` on the printer of `dc` as one job: the pages of `ranges`
// (from 1, both ends included), all when it is empty. False when the job failed.
bool printDocumentOn(const window::PrintDocument& document, HDC dc,
                     const std::vector<std::pair<size_t, size_t>>& ranges);

} // namespace zentory::win32
