#include "ui/ReportView.h"

#include <QEvent>
#include <QStyle>
#include <QStyleOptionViewItem>

namespace zentory::qt {

ReportView::ReportView(QWidget* parent) : QTableView(parent) {
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    // Tab leaves the list, as it leaves any other control.
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    // Every row has the same height, so a million rows cost no more than a screenful.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    FitRowHeight();
}

void ReportView::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        FitRowHeight();
    }
}

void ReportView::FitRowHeight() {
    // A line of text with the style's margins, as a tree view's rows take it.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features = QStyleOptionViewItem::HasDisplay;
    option.text = QStringLiteral("Xg");
    const QSize row = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(row.height());
}

} // namespace zentory::qt
