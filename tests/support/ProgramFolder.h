#pragma once
// A program folder of its own for one test: copies of the shipped config.ini
// and translation file in a temporary folder, which the program then takes as
// its executable's folder.

#include "ExecutableFolder.h"
#include "TempDir.h"

#include <string>

namespace zentory::test {

// The folder of the shipped data files ("res" in the source tree), and one of them.
std::string shippedFolder();
std::string shippedFile(const std::string& name);

class ProgramFolder {
public:
    // The shipped files with the stored language `tag`.
    explicit ProgramFolder(const std::string& tag = "[1033]");

    const std::string& path() const { return m_dir.path(); }
    std::string file(const std::string& name) const { return m_dir / name; }
    void setLanguage(const std::string& tag);
    void remove(const std::string& name);
    void writeFile(const std::string& name, const std::string& bytes);
    void writeConfig(const std::string& bytes) { writeFile("config.ini", bytes); }

private:
    TempDir m_dir;
    ExecutableFolder m_use{m_dir.path()};
};

} // namespace zentory::test
