#pragma once
// The Shell on Qt: QFileDialog (Qt's own, never the platform's, so that it
// speaks the interface language), QMessageBox and QDesktopServices. Every box
// is modal to the window that is active when it opens.

#include "Shell.h"

#include <QString>
#include <QStringList>
#include <QUrl>

namespace zentory::qt {

class QtShell : public window::Shell {
public:
    std::optional<std::string> browseForFolder(const std::string& title) override;
    std::optional<window::SaveChoice>
    askSaveFileName(const std::string& proposedName,
                    const std::vector<window::SaveType>& types) override;
    void messageBox(const std::string& text, const std::string& caption) override;
    void fileErrorBox(const std::string& text) override;
    void open(const std::string& fileOrAddress) override;
};

// The save types as Qt's name filters ("TXT files (*.txt)"); the pattern of
// the extension is added when the description lacks it.
QStringList nameFiltersOf(const std::vector<window::SaveType>& types);

// What the desktop's opener is given for a file or an address: a path on this
// machine as a file URL; an address with spaces around it trimmed; one without
// a scheme ("www.example.org") as a web address.
QUrl urlToOpen(const std::string& fileOrAddress);

} // namespace zentory::qt
