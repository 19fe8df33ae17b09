// zentory-bench-window: times the window's commands through the real main
// window, on the code path a click takes, with a Shell that answers at once.
//   zentory-bench-window read DIR
//       from the folder confirmed in the browser to its names shown: the walk
//       with sub-folders, the list view's model reset and one processed paint
//       of the list view;
//   zentory-bench-window read-progress DIR, read-quiet DIR
//       the same read with the progress window from the first moment, and
//       with none at all (the window as shipped shows it after 0.4 s);
//   zentory-bench-window cancel DIR
//       reads DIR with sub-folders and presses Cancel 0.3 s after the progress
//       window first painted; prints the seconds to that first paint and then
//       from the press to the end of the read;
//   zentory-bench-window export DIR OUT
//       reads DIR with sub-folders (not timed), then times the save to OUT with
//       the window's start-up options (footer on).
// The measured seconds are the last word written to standard error. Runs
// offscreen unless QT_QPA_PLATFORM names another platform.

#include "ExportDlg.h"
#include "ProgressDlg.h"
#include "ResourceIds.h"
#include "Shell.h"
#include "app/QtToolkit.h"
#include "platform/FileError.h"
#include "ui/DialogFrame.h"
#include "ui/ReportView.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QWindow>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <optional>
#include <string>

using namespace zentory;
using Clock = std::chrono::steady_clock;

namespace {

// Answers the browser and the save dialog from the command line; boxes and
// openings are only noted.
class ScriptedShell : public window::Shell {
public:
    std::optional<std::string> browseForFolder(const std::string&) override {
        confirmed = Clock::now();
        return folder;
    }
    std::optional<window::SaveChoice>
    askSaveFileName(const std::string&, const std::vector<window::SaveType>&) override {
        return window::SaveChoice{output};
    }
    void messageBox(const std::string& text, const std::string&) override { messages += text; }
    void fileErrorBox(const std::string& text) override { failure = text; }
    void open(const std::string&) override {}

    std::string folder;
    std::string output;
    Clock::time_point confirmed;
    std::string messages;
    std::optional<std::string> failure;
};

// Counts the paints of one widget.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
};

// Notes the first paint of the progress window and presses its Cancel a
// moment later.
class Canceller : public QObject {
public:
    explicit Canceller(Clock::time_point started) : m_started(started) {}
    std::optional<double> firstPaint;         // seconds after the folder was confirmed
    std::optional<Clock::time_point> pressed; // when Cancel was pressed

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        auto* progress = qobject_cast<qt::DialogFrame*>(receiver);
        if (progress != nullptr && dynamic_cast<window::CProgressDlg*>(&progress->Logic()) &&
            event->type() == QEvent::Paint && !firstPaint) {
            firstPaint = std::chrono::duration<double>(Clock::now() - m_started).count();
            QTimer::singleShot(300, progress, [this, progress] {
                pressed = Clock::now();
                progress->DlgItem<QPushButton>(window::IDCANCEL)->click();
            });
        }
        return false;
    }

private:
    Clock::time_point m_started;
};

// Processes events until `done` holds; false after ten seconds without it.
template <class Predicate> bool processUntil(Predicate done) {
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    while (!done()) {
        if (Clock::now() > deadline) {
            return false;
        }
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The main window drawn by Qt, as a click reaches it.
struct MainWindow {
    explicit MainWindow(window::Shell& shell) : logic(shell), frame(logic, nullptr) {}

    window::CExportDlg logic;
    qt::DialogFrame frame;
    QCheckBox* subFolders = frame.DlgItem<QCheckBox>(ids::Main::kSubFolders);
    QPushButton* save = frame.DlgItem<QPushButton>(ids::Main::kSaveTxtFile);
    QPushButton* readList = frame.DlgItem<QPushButton>(ids::Main::kReadFileList);
    qt::ReportView* list = frame.DlgItem<qt::ReportView>(ids::Main::kFileList);
};

struct Result {
    int status = 0;
    std::string text; // what to report; ends with the seconds on success
};

// Presses "Read File List" and waits for the list view to paint the names.
// Returns the seconds from the confirmed folder to that paint.
std::optional<double> readList(MainWindow& dlg, ScriptedShell& shell) {
    PaintCounter counter;
    dlg.list->viewport()->installEventFilter(&counter);
    dlg.readList->click();
    const bool painted = processUntil([&] { return counter.paints > 0; });
    const double seconds = secondsSince(shell.confirmed);
    dlg.list->viewport()->removeEventFilter(&counter);
    return painted ? std::optional<double>(seconds) : std::nullopt;
}

// Reads with Cancel pressed 0.3 s after the progress window's first paint.
Result cancelRead(MainWindow& dlg) {
    Canceller canceller(Clock::now());
    qApp->installEventFilter(&canceller);
    dlg.readList->click();
    const auto ended = Clock::now();
    qApp->removeEventFilter(&canceller);
    if (!canceller.firstPaint || !canceller.pressed) {
        return {1, "the read ended before the progress window showed"};
    }
    const double latency = std::chrono::duration<double>(ended - *canceller.pressed).count();
    return {0, "files " + std::to_string(dlg.logic.m_fileList.size()) + ", first progress paint " +
                   std::to_string(*canceller.firstPaint) + " s, cancelled in seconds " +
                   std::to_string(latency)};
}

Result run(const std::string& command, const std::string& folder, const std::string& output) {
    ScriptedShell shell;
    shell.folder = folder;
    shell.output = output;
    MainWindow dlg(shell);
    try {
        dlg.logic.OnInitDialog();
    } catch (const platform::FileError& error) {
        return {1, std::string("cannot start the window: ") + error.what()};
    }
    dlg.subFolders->setChecked(true);
    if (command == "read-progress") {
        dlg.logic.m_progressDelay = std::chrono::milliseconds(0);
    } else if (command == "read-quiet") {
        dlg.logic.m_progressDelay = std::chrono::hours(1);
    }
    dlg.frame.show();
    if (!processUntil(
            [&] { return dlg.frame.windowHandle() && dlg.frame.windowHandle()->isExposed(); })) {
        return {1, "the window did not appear"};
    }
    QApplication::processEvents();
    if (command == "cancel") {
        return cancelRead(dlg);
    }

    const auto readSeconds = readList(dlg, shell);
    if (!readSeconds) {
        return {1, "the list view was not painted"};
    }
    const std::string files = std::to_string(dlg.logic.m_fileList.size());
    if (command != "export") {
        return {0, "read " + files + " files, seconds " + std::to_string(*readSeconds)};
    }

    const auto start = Clock::now();
    dlg.save->click();
    const double seconds = secondsSince(start);
    if (shell.failure) {
        return {1, "cannot export: " + *shell.failure};
    }
    if (dlg.logic.m_fileList.empty()) {
        return {1, "nothing to export: " + shell.messages};
    }
    return {0, "exported " + files + " files, seconds " + std::to_string(seconds)};
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    const bool reads = command == "read" || command == "read-progress" || command == "read-quiet" ||
                       command == "cancel";
    if (!((reads && argc == 3) || (command == "export" && argc == 4))) {
        std::fprintf(stderr,
                     "usage: zentory-bench-window read|read-progress|read-quiet|cancel DIR\n"
                     "       zentory-bench-window export DIR OUT\n");
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    Result result;
    {
        int programNameOnly = 1;
        QApplication app(programNameOnly, argv);
        qt::QtToolkit toolkit;
        std::setlocale(LC_ALL, "");
        result = run(command, argv[2], argc > 3 ? argv[3] : "");
    }
    // Last, so that the seconds are the last word on standard error.
    std::fprintf(stderr, "zentory-bench-window: %s\n", result.text.c_str());
    return result.status;
}
