// Printing from the Qt window: a list of three pages printed to a PDF file
// reads back (pdftotext) with its header, its footers and every line; the
// preview shows one page at a time and prints from there.

#include "WindowTest.h"

#include "ResourceIds.h"
#include "ui/PrintPages.h"
#include "ui/PrintPreview.h"
#include "ui/QtShell.h"

#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace zentory;
using namespace zentory::test;

namespace {

class QtPrintList : public WindowTest {
protected:
    QtPrintList() {
        for (int i = 0; i < 150; ++i) {
            tree.add(numberedName("file", 1000 + i, ".txt"), "");
        }
        tree.add("img/" + std::string(150, 'x') + ".png", "");
    }
    // The document the window hands to the shell for printing.
    window::PrintDocument printed() {
        open([&] {
            readWithSubFolders(tree.path());
            dlg.m_optionsDlg.m_bShowDateTime = 0;
            dlg.OnCommand(ids::Menu::kPrint);
        });
        EXPECT_EQ(shell.printed.size(), 1u);
        return shell.printed.empty() ? window::PrintDocument{} : shell.printed[0];
    }

    TreeDir tree;
};

TEST_F(QtPrintList, AListOfThreePagesPrintedToPdfReadsBackWhole) {
    if (QStandardPaths::findExecutable("pdftotext").isEmpty()) {
        GTEST_SKIP() << "pdftotext (poppler-utils) is missing";
    }
    const window::PrintDocument document = printed();
    QTemporaryDir folder;
    const QString pdf = folder.filePath("list.pdf");
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageSize(QPageSize(QPageSize::A4));
    ASSERT_EQ(qt::layoutFor(document, printer).PageCount(), 3u);
    qt::printPages(document, printer);

    QProcess pdftotext;
    pdftotext.start("pdftotext", {"-layout", pdf, "-"});
    ASSERT_TRUE(pdftotext.waitForFinished(30000));
    const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
    const QString title = QString::fromStdString("Contents of " + tree.path() + "/...");
    EXPECT_EQ(text.count(title), 3) << "the title heads each page";
    EXPECT_EQ(text.count(QString::fromStdString(document.date)), 3);
    for (int page = 1; page <= 3; ++page) {
        EXPECT_TRUE(text.contains(QString("Page %1 of 3").arg(page))) << page;
    }
    for (int i = 0; i < 150; ++i) {
        const QString name = QString::fromStdString(numberedName("file", 1000 + i, ".txt"));
        EXPECT_TRUE(text.contains(name)) << name.toStdString();
    }
    // The long name goes on in an indented row, every letter of it there.
    QString joined = text;
    joined.remove(QRegularExpression("\\s"));
    EXPECT_TRUE(joined.contains(QString(150, 'x') + ".png")) << text.toStdString();
}

TEST_F(QtPrintList, ThePreviewShowsOnePageAtATimeAndCloses) {
    const window::PrintDocument document = printed();
    QString first, second;
    size_t pages = 0;
    bool drawn = false;
    whenModalOpens([&](QWidget* modal) {
        auto* preview = qobject_cast<qt::PrintPreview*>(modal);
        ASSERT_NE(preview, nullptr);
        EXPECT_EQ(preview->windowTitle(), "Print preview");
        EXPECT_EQ(preview->m_btnPrint->text(), "&Print...");
        EXPECT_EQ(preview->m_btnNext->accessibleName(), "Next page");
        pages = preview->PageCount();
        first = preview->m_pageLabel->text();
        EXPECT_FALSE(preview->m_btnPrevious->isEnabled());
        preview->m_btnNext->click();
        second = preview->m_pageLabel->text();
        const QImage page = preview->Rendered(400);
        drawn = page.pixelColor(page.width() / 2, page.height() / 2) != Qt::black &&
                page.convertToFormat(QImage::Format_Mono).pixelColor(0, 0) == Qt::white;
        preview->reject();
    });
    qt::QtShell().printDocument(document, true);
    EXPECT_GE(pages, 3u);
    EXPECT_EQ(first, QString("Page 1 of %1").arg(pages));
    EXPECT_EQ(second, QString("Page 2 of %1").arg(pages));
    EXPECT_TRUE(drawn);
}

} // namespace
