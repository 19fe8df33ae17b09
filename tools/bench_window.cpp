// zentory-bench-window: times the window's commands through the real main
// window, on the code path a click takes, with a Shell that answers at once.
//   zentory-bench-window read DIR
//       from the folder confirmed in the browser to its names shown: the walk
//       with sub-folders, the list view's model reset and one processed paint
//       of the list view;
//   zentory-bench-window export DIR OUT
//       reads DIR with sub-folders (not timed), then times the save to OUT with
//       the window's start-up options (footer on).
// The measured seconds are the last word written to standard error. Runs
// offscreen unless QT_QPA_PLATFORM names another platform.

#include "app/ExportDlg.h"
#include "platform/FileError.h"
#include "ui/Shell.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
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
class ScriptedShell : public ui::Shell {
public:
    std::optional<std::string> browseForFolder(const std::string&) override {
        confirmed = Clock::now();
        return folder;
    }
    std::optional<std::string> askSaveFileName(const std::string&, const std::string&,
                                               const std::string&) override {
        return output;
    }
    void messageBox(const std::string& text, const std::string&) override { messages += text; }
    void fileErrorBox(const platform::FileError& error) override { failure = error.what(); }
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

struct Result {
    int status = 0;
    std::string text; // what to report; ends with the seconds on success
};

// Presses "Read File List" and waits for the list view to paint the names.
// Returns the seconds from the confirmed folder to that paint.
std::optional<double> readList(CExportDlg& dlg, ScriptedShell& shell) {
    PaintCounter counter;
    dlg.m_listFiles->viewport()->installEventFilter(&counter);
    dlg.m_btnReadList->click();
    const bool painted = processUntil([&] { return counter.paints > 0; });
    const double seconds = secondsSince(shell.confirmed);
    dlg.m_listFiles->viewport()->removeEventFilter(&counter);
    return painted ? std::optional<double>(seconds) : std::nullopt;
}

Result run(const std::string& command, const std::string& folder, const std::string& output) {
    ScriptedShell shell;
    shell.folder = folder;
    shell.output = output;
    CExportDlg dlg(shell);
    try {
        dlg.OnInitDialog();
    } catch (const platform::FileError& error) {
        return {1, std::string("cannot start the window: ") + error.what()};
    }
    dlg.m_chkSubFolders->setChecked(true);
    dlg.show();
    if (!processUntil([&] { return dlg.windowHandle() && dlg.windowHandle()->isExposed(); })) {
        return {1, "the window did not appear"};
    }
    QApplication::processEvents();

    const auto readSeconds = readList(dlg, shell);
    if (!readSeconds) {
        return {1, "the list view was not painted"};
    }
    const std::string files = std::to_string(dlg.m_fileList.size());
    if (command == "read") {
        return {0, "read " + files + " files, seconds " + std::to_string(*readSeconds)};
    }

    const auto start = Clock::now();
    dlg.m_btnSave->click();
    const double seconds = secondsSince(start);
    if (shell.failure) {
        return {1, "cannot export: " + *shell.failure};
    }
    if (dlg.m_fileList.empty()) {
        return {1, "nothing to export: " + shell.messages};
    }
    return {0, "exported " + files + " files, seconds " + std::to_string(seconds)};
}

} // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (!((command == "read" && argc == 3) || (command == "export" && argc == 4))) {
        std::fprintf(stderr, "usage: zentory-bench-window read DIR\n"
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
        std::setlocale(LC_ALL, "");
        result = run(command, argv[2], argc > 3 ? argv[3] : "");
    }
    // Last, so that the seconds are the last word on standard error.
    std::fprintf(stderr, "zentory-bench-window: %s\n", result.text.c_str());
    return result.status;
}
