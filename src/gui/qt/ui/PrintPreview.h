#pragma once
// The preview of the printed list: one page at a time, drawn when it shows
// (a list of a million lines has twenty thousand pages, and none of them is
// made before it is looked at), with buttons for the page before and after,
// the page's number, and a button that prints through the print dialog.

#include "PrintLayout.h"

#include <QDialog>
#include <QPrinter>

#include <memory>

class QLabel;
class QPushButton;

namespace zentory::qt {

class PrintPreview : public QDialog {
    Q_OBJECT

public:
    PrintPreview(const window::PrintDocument& document, QWidget* parent = nullptr);
    ~PrintPreview() override;

    size_t CurrentPage() const { return m_page; }
    size_t PageCount() const { return m_layout->PageCount(); }
    void ShowPage(size_t page);
    // The page shown, as the printer would print it, at `width` pixels wide.
    QImage Rendered(int width) const;

    QPushButton* m_btnPrevious = nullptr;
    QPushButton* m_btnNext = nullptr;
    QPushButton* m_btnPrint = nullptr;
    QLabel* m_pageLabel = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    class PageView;

    const window::PrintDocument& m_document;
    QPrinter m_printer;
    std::unique_ptr<window::PrintLayout> m_layout;
    PageView* m_view = nullptr;
    size_t m_page = 0;
};

// Asks for a printer with the print dialog and prints `document` on it;
// false when the person cancelled.
bool printWithDialog(const window::PrintDocument& document, QPrinter& printer, QWidget* parent);

} // namespace zentory::qt
