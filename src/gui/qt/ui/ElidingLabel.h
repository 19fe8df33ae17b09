#pragma once
// A static of style SS_PATHELLIPSIS: its text stays on one line, and a text
// too long for it is shortened in the middle with an ellipsis, so that the end
// of a path stays visible; the whole text is then its tooltip.

#include <QLabel>
#include <QString>

namespace zentory::qt {

class ElidingLabel : public QLabel {
    Q_OBJECT

public:
    explicit ElidingLabel(QWidget* parent = nullptr);

    // The text to show, whole; the label shows as much of it as fits.
    void setFullText(const QString& text);
    const QString& fullText() const { return m_fullText; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void elide();

    QString m_fullText;
};

} // namespace zentory::qt
