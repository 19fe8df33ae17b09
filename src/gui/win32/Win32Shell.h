#pragma once
// The Shell on Windows: the common item dialog picking a folder, the common
// save dialog, message boxes and ShellExecuteW. Texts and paths are UTF-8 in
// the program and UTF-16 at each call. COM must be started (apartment-
// threaded) on the calling thread.

#include "Shell.h"

#include <string>
#include <vector>

namespace zentory::win32 {

class Win32Shell : public window::Shell {
public:
    std::optional<std::string> browseForFolder(const std::string& title) override;
    std::optional<window::SaveChoice>
    askSaveFileName(const std::string& proposedName,
                    const std::vector<window::SaveType>& types) override;
    void messageBox(const std::string& text, const std::string& caption) override;
    void fileErrorBox(const std::string& text) override;
    void open(const std::string& fileOrAddress) override;
};

// The save types as the save dialog takes them: each description and its
// pattern ("*.txt") ended by a zero, and one more zero after the last.
std::wstring saveDialogFilter(const std::vector<window::SaveType>& types);

} // namespace zentory::win32
