#include "ui/ElidingLabel.h"

#include <QEvent>
#include <QFontMetrics>

namespace zentory::qt {

ElidingLabel::ElidingLabel(QWidget* parent) : QLabel(parent) {
    setWordWrap(false);
}

void ElidingLabel::setFullText(const QString& text) {
    m_fullText = text;
    elide();
}

void ElidingLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    elide();
}

void ElidingLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        elide();
    }
}

void ElidingLabel::elide() {
    const QString shown =
        fontMetrics().elidedText(m_fullText, Qt::ElideMiddle, contentsRect().width());
    if (shown != text()) {
        setText(shown);
    }
    setToolTip(shown == m_fullText ? QString() : m_fullText);
}

} // namespace zentory::qt
