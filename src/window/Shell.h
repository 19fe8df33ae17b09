#pragma once
// What the program asks of the desktop: the folder browser, the save dialog,
// message boxes and opening a file or address with its associated program. The
// window talks only to this interface, so tests can answer in its place. Texts
// and paths are bytes in the locale's encoding, as everywhere in the program.

#include <optional>
#include <string>
#include <vector>

namespace zentory::window {

// What the save dialog gives back: the file and the position of the type
// chosen in its filter (0: the first).
struct SaveChoice {
    std::string path;
    int type = 0;

    bool operator==(const SaveChoice&) const = default;
};

// A type the save dialog offers: what it says ("TXT files (*.txt)") and the
// extension of its files ("txt").
struct SaveType {
    std::string description;
    std::string extension;

    bool operator==(const SaveType&) const = default;
};

class Shell {
public:
    virtual ~Shell() = default;

    // The folder the person picked, or nothing when they cancelled.
    virtual std::optional<std::string> browseForFolder(const std::string& title) = 0;
    // A file name to save to and the type chosen for it, or nothing when
    // cancelled. `types` are offered in their order, the first chosen at the
    // start; a name typed without an extension gets the first type's, and the
    // extension of the type chosen takes its place. An existing file is
    // replaced only after the person agreed.
    virtual std::optional<SaveChoice> askSaveFileName(const std::string& proposedName,
                                                      const std::vector<SaveType>& types) = 0;
    // A modal box with one OK button and no icon.
    virtual void messageBox(const std::string& text, const std::string& caption) = 0;
    // The warning box of a file operation that failed, captioned with the
    // program's name: `text` says which file and why (fileErrorText).
    virtual void fileErrorBox(const std::string& text) = 0;
    // Opens a file or an address with its associated program; the result is not reported.
    virtual void open(const std::string& fileOrAddress) = 0;
};

} // namespace zentory::window
