#pragma once
// A temporary folder holding files at the given paths below it.

#include "Files.h"
#include "TempDir.h"

#include <initializer_list>
#include <string>

namespace zentory::test {

class TreeDir : public TempDir {
public:
    // Empty files at `paths`; a path ending in "/" makes a folder.
    explicit TreeDir(std::initializer_list<std::string> paths = {}) { makeFiles(path(), paths); }
    // Makes the file `below` (and the folders on its way) holding `bytes`.
    void add(const std::string& below, const std::string& bytes) {
        writeBytes(*this / below, bytes);
    }
};

} // namespace zentory::test
