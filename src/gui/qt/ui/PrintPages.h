#pragma once
// The printed list on Qt: the page layout of the window logic, measured with
// a fixed-pitch font of 10 points at the printer's resolution, drawn on a
// printer or, scaled, on the preview.

#include "PrintLayout.h"

#include <QFont>

class QPainter;
class QPrinter;

namespace zentory::qt {

// The font of the printed list on `printer`, sized in its pixels.
QFont printFont(const QPrinter& printer);
// The layout of `document` on the pages of `printer`.
window::PrintLayout layoutFor(const window::PrintDocument& document, const QPrinter& printer);
// Draws page `page` of `layout` with `painter` (in the printer's pixels).
void drawPage(QPainter& painter, const window::PrintLayout& layout, size_t page, const QFont& font);
// Prints the pages of `document` that `printer` asks for (all, or its range).
void printPages(const window::PrintDocument& document, QPrinter& printer);

} // namespace zentory::qt
