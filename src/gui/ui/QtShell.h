#pragma once
// The Shell on Qt: QFileDialog, QMessageBox and QDesktopServices. Every box is
// modal to the window that is active when it opens.

#include "ui/Shell.h"

#include <QString>
#include <QStringList>

namespace zentory::ui {

class QtShell : public Shell {
public:
    std::optional<std::string> browseForFolder(const std::string& title) override;
    std::optional<std::string> askSaveFileName(const std::string& proposedName,
                                               const std::string& filter,
                                               const std::string& defaultExt) override;
    void messageBox(const std::string& text, const std::string& caption) override;
    void fileErrorBox(const platform::FileError& error) override;
    void open(const std::string& fileOrAddress) override;
};

// The name filters of a "description|pattern|...||" filter, in Qt's form
// ("TXT files (*.txt)"); the pattern is added when the description lacks it.
QStringList nameFiltersOf(const std::string& filter);

// The message of the file-error box: what failed on which file, and why.
QString fileErrorText(const platform::FileError& error);

} // namespace zentory::ui
