#pragma once
// A fixture for tests of the main window: a program folder of its own, a
// recording Shell, and the window with the steps a person takes in it.

#include "Framed.h"
#include "GuiTestSupport.h"
#include "RecordingShell.h"

#include "app/QtToolkit.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

namespace zentory::test {

class WindowTest : public ::testing::Test {
protected:
    // Opens the window the way the program does and runs `whileOpen` in it;
    // the window is then ended with Escape unless `whileOpen` ended it.
    // Returns how it ended.
    int open(const std::function<void()>& whileOpen = [] {});
    // Presses "Read File List"; the browser answers `folder`, or is cancelled.
    void read(std::optional<std::string> folder);
    // Ticks the sub-folder box and reads `folder`.
    void readWithSubFolders(const std::string& folder);
    // Presses "Save *.txt File!"; the save dialog answers `path`, or is cancelled.
    void save(std::optional<std::string> path);
    // Saves to `path` and gives back what was written there.
    std::string exportTo(const std::string& path);
    // Runs the language command; `inDialog` acts in the language dialog and ends it.
    void selectLanguage(const std::function<void(QComboBox*)>& inDialog);
    // Chooses the language `name` in the language dialog with Enter.
    void choose(const char* name);

    ProgramFolder program;
    RecordingShell shell;
    QtExportDlg dlg{shell};
};

} // namespace zentory::test
