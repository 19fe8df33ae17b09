#include "ui/PrintPages.h"

#include "ui/ControlText.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

#include <algorithm>
#include <climits>

namespace zentory::qt {

namespace {

constexpr int kPoints = 10;
// Tabs between the columns stand at every eighth letter, as in a text editor.
constexpr int kFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextExpandTabs;

} // namespace

QFont printFont(const QPrinter& printer) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(std::max(1, kPoints * printer.resolution() / 72));
    return font;
}

window::PrintLayout layoutFor(const window::PrintDocument& document, const QPrinter& printer) {
    const QFont font = printFont(printer);
    const QFontMetrics metrics(font);
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    return window::PrintLayout(
        document, {page.width(), page.height(), metrics.height(), [metrics](std::string_view text) {
                       return metrics
                           .boundingRect(QRect(0, 0, INT_MAX / 2, INT_MAX / 2), kFlags,
                                         fromBytes(text))
                           .width();
                   }});
}

void drawPage(QPainter& painter, const window::PrintLayout& layout, size_t page,
              const QFont& font) {
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (const window::PlacedText& text : layout.Page(page)) {
        painter.drawText(QRect(text.x, text.y, INT_MAX / 4, QFontMetrics(font).height()), kFlags,
                         fromBytes(text.text));
    }
}

void printPages(const window::PrintDocument& document, QPrinter& printer) {
    printer.setDocName(fromBytes(document.title));
    const window::PrintLayout layout = layoutFor(document, printer);
    const size_t count = layout.PageCount();
    const size_t first = printer.fromPage() > 0 ? static_cast<size_t>(printer.fromPage()) - 1 : 0;
    const size_t last =
        printer.toPage() > 0 ? std::min(count, static_cast<size_t>(printer.toPage())) : count;
    QPainter painter;
    if (!painter.begin(&printer)) {
        return;
    }
    const QFont font = printFont(printer);
    for (size_t page = first; page < last; ++page) {
        if (page > first) {
            printer.newPage();
        }
        drawPage(painter, layout, page, font);
    }
    painter.end();
}

} // namespace zentory::qt
