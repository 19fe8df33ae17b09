#include "ui/PrintPreview.h"

#include "ui/ControlText.h"
#include "ui/PrintPages.h"

#include "i18n/Placeholders.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace zentory::qt {

// The page shown, on white paper of the printer's proportions, as large as
// the room allows.
class PrintPreview::PageView : public QWidget {
public:
    explicit PageView(PrintPreview& preview) : QWidget(&preview), m_preview(preview) {
        setMinimumSize(420, 594);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Window));
        const QImage page = m_preview.Rendered(width() - 16);
        const QSize shown = page.size().scaled(size() - QSize(16, 16), Qt::KeepAspectRatio);
        const QRect target(QPoint((width() - shown.width()) / 2, (height() - shown.height()) / 2),
                           shown);
        painter.drawImage(target, page);
        painter.setPen(Qt::darkGray);
        painter.drawRect(target.adjusted(0, 0, -1, -1));
    }

private:
    PrintPreview& m_preview;
};

PrintPreview::PrintPreview(const window::PrintDocument& document, QWidget* parent)
    : QDialog(parent), m_document(document), m_printer(QPrinter::HighResolution) {
    m_layout = std::make_unique<window::PrintLayout>(layoutFor(document, m_printer));
    setWindowTitle(fromBytes(document.previewTitle));
    m_view = new PageView(*this);
    m_btnPrevious = new QPushButton(QStringLiteral("<"), this);
    m_btnNext = new QPushButton(QStringLiteral(">"), this);
    m_btnPrint = new QPushButton(fromBytes(document.printCommand), this);
    // The arrows are known by what they do, to the eye in a tooltip.
    for (auto [button, name] : {std::pair{m_btnPrevious, &document.previousPage},
                                std::pair{m_btnNext, &document.nextPage}}) {
        button->setAccessibleName(fromBytes(*name));
        button->setToolTip(fromBytes(*name));
    }
    m_pageLabel = new QLabel(this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_btnPrevious);
    buttons->addWidget(m_pageLabel);
    buttons->addWidget(m_btnNext);
    buttons->addStretch();
    buttons->addWidget(m_btnPrint);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_view, 1);
    layout->addLayout(buttons);
    connect(m_btnPrevious, &QPushButton::clicked, this, [this] {
        if (m_page > 0) {
            ShowPage(m_page - 1);
        }
    });
    connect(m_btnNext, &QPushButton::clicked, this, [this] { ShowPage(m_page + 1); });
    connect(m_btnPrint, &QPushButton::clicked, this, [this] {
        if (printWithDialog(m_document, m_printer, this)) {
            accept();
        }
    });
    ShowPage(0);
}

PrintPreview::~PrintPreview() = default;

void PrintPreview::ShowPage(size_t page) {
    m_page = std::min(page, PageCount() - 1);
    const QString number = fromBytes(fillPlaceholders(m_document.pageOf, std::to_string(m_page + 1),
                                                      std::to_string(PageCount())));
    m_pageLabel->setText(number);
    m_btnPrevious->setEnabled(m_page > 0);
    m_btnNext->setEnabled(m_page + 1 < PageCount());
    m_view->setAccessibleName(number);
    m_view->update();
}

QImage PrintPreview::Rendered(int width) const {
    const QRect paper = m_printer.pageLayout().fullRectPixels(m_printer.resolution());
    const QRect printable = m_printer.pageLayout().paintRectPixels(m_printer.resolution());
    const double scale = static_cast<double>(std::max(width, 1)) / paper.width();
    QImage image(std::max(width, 1), std::max(1, static_cast<int>(paper.height() * scale)),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.scale(scale, scale);
    painter.translate(printable.topLeft());
    drawPage(painter, *m_layout, m_page, printFont(m_printer));
    return image;
}

void PrintPreview::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_PageDown) {
        ShowPage(m_page + 1);
    } else if (event->key() == Qt::Key_PageUp) {
        ShowPage(m_page > 0 ? m_page - 1 : 0);
    } else {
        QDialog::keyPressEvent(event);
    }
}

bool printWithDialog(const window::PrintDocument& document, QPrinter& printer, QWidget* parent) {
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    printPages(document, printer);
    return true;
}

} // namespace zentory::qt
