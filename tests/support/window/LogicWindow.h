#pragma once
// The main window's logic opened on a recording view, a recording Shell and the
// fake toolkit, in a program folder of its own and with the clock set, as the
// window's logic tests start it.

#include "FakeToolkit.h"
#include "RecordingShell.h"

#include "ExportDlg.h"
#include "ResourceIds.h"
#include "platform/Clock.h"

#include "ProgramFolder.h"

#include <optional>
#include <string>

namespace zentory::test {

class LogicWindow {
protected:
    // The program folder's stored language is `tag`.
    explicit LogicWindow(const char* tag = "[1033]") : program(tag) {
        platform::setClockForTesting(platform::LocalTime{2007, 5, 17, 14, 30});
        dlg.Attach(&view);
        dlg.StartDialog();
    }
    ~LogicWindow() {
        dlg.Attach(nullptr);
        platform::setClockForTesting(std::nullopt);
    }
    LogicWindow(const LogicWindow&) = delete;
    LogicWindow& operator=(const LogicWindow&) = delete;

    // Presses "Read File List" with the sub-folder box as `subFolders`; the
    // folder browser answers `folder`, or is cancelled.
    void read(std::optional<std::string> folder, int subFolders = 1) {
        view.checks[ids::Main::kSubFolders] = subFolders;
        shell.folderAnswer = std::move(folder);
        dlg.OnCommand(ids::Main::kReadFileList);
    }
    // Presses "Save"; the save dialog answers `path` with the type at `type`
    // (0: TXT), or is cancelled.
    void save(std::optional<std::string> path, int type = 0) {
        shell.saveAnswer = std::move(path);
        shell.saveTypeAnswer = type;
        dlg.OnCommand(ids::Main::kSaveTxtFile);
    }

    ProgramFolder program;
    RecordingShell shell;
    FakeToolkit toolkit;
    window::CExportDlg dlg{shell};
    RecordingView view;
};

} // namespace zentory::test
