// A long read: the walk runs beside the event loop, the progress window comes
// after a moment with what was found so far, and Cancel (the button, Escape or
// the close box) stops the walk at once and leaves the window as if no folder
// had been read. The walk is slowed down through its watch.

#include "Framed.h"
#include "ProgressDlg.h"

#include "GuiTestSupport.h"
#include "RecordingShell.h"
#include "SlowWatch.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using zentory::window::CExportDlg;
// The progress window: the frame that draws the read's CProgressDlg.
using ProgressWindow = zentory::qt::DialogFrame;
using zentory::ScanWatch;
using namespace zentory::test;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

constexpr int kFolders = 300; // read on up to 64 threads

// Counts the paints of a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

ProgressWindow* progressWindow() {
    auto* frame = qobject_cast<ProgressWindow*>(QApplication::activeModalWidget());
    return frame != nullptr && dynamic_cast<zentory::window::CProgressDlg*>(&frame->Logic())
               ? frame
               : nullptr;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

enum class CancelBy { Button, Escape, CloseBox };

struct Case {
    const char* tag;
    CancelBy cancel;
    QString reading, files, cancelText, caption, nothingToExport;
};

class SlowRead : public ::testing::Test {
protected:
    explicit SlowRead(const char* tag = "[1033]") : program(tag) {
        for (int i = 0; i < kFolders; ++i) {
            tree.add(numberedName("d", 100 + i, "/f.txt"), "");
        }
    }
    // Reads the tree with sub-folders, each folder taking `pause`; `whileReading`
    // runs once the progress window is up.
    void read(std::chrono::milliseconds pause,
              const std::function<void(ProgressWindow&)>& whileReading) {
        dlg.m_newScanWatch = [pause, gate = gate] {
            return std::make_unique<GatedWatch>(pause, gate);
        };
        dlg.m_chkSubFolders->setChecked(true);
        shell.folderAnswer = tree.path();
        QTimer::singleShot(0, &dlg, [&] {
            ASSERT_TRUE(QTest::qWaitFor([] { return progressWindow() != nullptr; }, 5000));
            progressShown = secondsSince(clicked);
            whileReading(*progressWindow());
        });
        clicked = Clock::now();
        dlg.m_btnReadList->click();
        gate->open();
    }
    QString label() const { return dlg.DlgItem<QLabel>(1006)->text(); }

    ProgramFolder program;
    TreeDir tree;
    RecordingShell shell;
    QtExportDlg dlg{shell};
    // Holds a cancelled walk until the read has returned.
    std::shared_ptr<CancelGate> gate = std::make_shared<CancelGate>();
    Clock::time_point clicked;
    double progressShown = -1;
};

// Names the case by its language in test names.
void PrintTo(const Case& c, std::ostream* os) {
    *os << c.tag;
}

class ReadProgress : public SlowRead, public ::testing::WithParamInterface<Case> {
protected:
    ReadProgress() : SlowRead(GetParam().tag) {}
};

TEST_P(ReadProgress, ShowsWhatWasFoundAndCancelLeavesNothingRead) {
    const Case& c = GetParam();
    runModal(dlg, [&] {
        PaintCounter painted;
        dlg.installEventFilter(&painted);
        read(50ms, [&](ProgressWindow& progress) {
            EXPECT_EQ(progress.GetDlgItem(1040)->property("zentoryWindowText").toString(),
                      c.reading);
            EXPECT_EQ(progress.DlgItem<QPushButton>(zentory::window::IDCANCEL)->text(),
                      c.cancelText);
            // The count and the folder follow the walk.
            const QString first = progress.DlgItem<QLabel>(1042)->text();
            EXPECT_TRUE(first.startsWith(c.files)) << first.toStdString();
            EXPECT_TRUE(QTest::qWaitFor(
                [&] { return progress.DlgItem<QLabel>(1042)->text() != first; }, 2000));
            EXPECT_TRUE(progress.DlgItem<QLabel>(1041)->text().startsWith(
                QString::fromStdString(tree.path())));
            // The main window paints meanwhile, and takes no command.
            const int before = painted.paints;
            dlg.update();
            EXPECT_TRUE(QTest::qWaitFor([&] { return painted.paints > before; }, 2000));
            QTest::mouseClick(dlg.m_btnSave, Qt::LeftButton);
            QTest::keyClick(&dlg, Qt::Key_F1);
            switch (c.cancel) {
            case CancelBy::Button:
                QTest::mouseClick(progress.DlgItem<QPushButton>(zentory::window::IDCANCEL),
                                  Qt::LeftButton);
                break;
            case CancelBy::Escape:
                QTest::keyClick(&progress, Qt::Key_Escape);
                break;
            case CancelBy::CloseBox:
                progress.close();
                break;
            }
        });
        // The read returned while the cancelled walk was held at the gate.
        EXPECT_FALSE(gate->openedByItself()) << "the window waited for the cancelled walk";
        // Not before the delay (a coarse timer may fire a little early).
        EXPECT_GT(progressShown, 0.85 * std::chrono::duration<double>(dlg.m_progressDelay).count());
        EXPECT_EQ(progressWindow(), nullptr);
        EXPECT_TRUE(shell.calls.size() == 1) << "only the browser: " << shell.calls.back();
        // As if no folder had been read.
        EXPECT_EQ(dlg.m_listFiles->model()->rowCount(), 0);
        EXPECT_EQ(label(), c.caption);
        dlg.m_btnSave->click();
        QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    EXPECT_TRUE(dlg.m_fileList.empty());
    EXPECT_EQ(dlg.m_strChosenFolder, "");
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(QString::fromStdString(shell.messages[0].text), c.nothingToExport);
}

TEST_F(SlowRead, ThatEndsTakesItsProgressAwayAndShowsTheList) {
    runModal(dlg, [&] {
        read(50ms, [](ProgressWindow&) {}); // long enough for the progress window
        EXPECT_EQ(progressWindow(), nullptr);
        EXPECT_EQ(dlg.m_listFiles->model()->rowCount(), kFolders);
        EXPECT_EQ(label(), QString::fromStdString(tree.path()) + "/...");
        QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    EXPECT_EQ(dlg.m_strChosenFolder, tree.path());
}

INSTANTIATE_TEST_SUITE_P(
    Languages, ReadProgress,
    ::testing::Values(Case{"[1033]", CancelBy::Button, "Reading the folder:", "Files found: ",
                           "Cancel", "Content of the folder:",
                           "There is nothing to export yet. Please read a file list first."},
                      Case{"[1031]", CancelBy::Escape, "Der Ordner wird gelesen:",
                           "Gefundene Dateien: ", "Abbrechen", "Inhalt des Ordners:",
                           "Es gibt noch nichts zu exportieren. Bitte lesen Sie zuerst eine "
                           "Dateiliste ein."},
                      Case{"[1036]", CancelBy::CloseBox, "Lecture du dossier :",
                           "Fichiers trouvés : ", "Annuler", "Contenu du dossier :",
                           "Il n'y a encore rien à exporter. Lisez d'abord une liste de "
                           "fichiers."}),
    [](const auto& info) { return std::string(info.param.tag).substr(1, 4); });

TEST(QuickRead, ShowsNoProgressWindow) {
    ProgramFolder program;
    TreeDir tree{"a.txt", "b/c.txt"};
    RecordingShell shell;
    QtExportDlg dlg{shell};
    int shown = 0;
    dlg.m_newScanWatch = [&] {
        // Looks for a progress window once the walk has gone on for a while.
        return std::make_unique<SlowWatch>(0ms);
    };
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] { shown += progressWindow() != nullptr; });
    poll.start(5);
    runModal(dlg, [&] {
        dlg.m_chkSubFolders->setChecked(true);
        shell.folderAnswer = tree.path();
        dlg.m_btnReadList->click();
        EXPECT_EQ(dlg.m_listFiles->model()->rowCount(), 2);
        QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    EXPECT_EQ(shown, 0);
}

} // namespace
