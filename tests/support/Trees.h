#pragma once
// Trees of folders for the walk's tests, and the walk's list as plain entries.

#include "RamDir.h"

#include "listing/FileList.h"

#include <functional>
#include <string>
#include <vector>

namespace zentory::test {

// Every entry of `files` ("folder/name" + LF), in list order.
std::vector<std::string> entriesOf(const FileList& files);

// Entries "folder/name" + LF for each name, in the order given.
std::vector<std::string> entries(const std::string& folder, std::vector<std::string> names);

std::vector<std::string> sorted(std::vector<std::string> v);

// `part` `times` times over.
std::string repeat(const std::string& part, int times);

// A random tree of tricky names: the folders made (the root first) and the
// entries a walk must list.
struct RandomTree {
    std::vector<std::string> folders;
    std::vector<std::string> expected;
};

// Makes a random tree below `root` in `steps` tries: each picks a parent (any
// folder, or one of the `recent` newest when that is not 0) and a name of one
// to `maxParts` of `parts`, and makes a folder one time in `folderOdds`, else a
// file. Names ending in "." are made but never listed.
RandomTree makeRandomTree(const std::string& root, const std::vector<std::string>& parts,
                          unsigned seed, int steps, size_t maxParts, size_t folderOdds,
                          size_t recent);

// Creates `depth` nested folders "d" below `base` by relative steps, so no path
// limit applies; `atLevel(level)` runs inside each new folder to add more.
void makeChain(const std::string& base, int depth, const std::function<void(int)>& atLevel);

// Below `root`: 120 folders, three in each down to four levels, and `files`
// empty files spread over them and the root. Returns their paths, sorted.
std::vector<std::string> makeNestedTree(const std::string& root, int files);

// Below `root`: folders a, b and c, each with a file and a link to the next
// (c's back to a), a link "self" to root itself, and links x and y that lead
// to each other. Returns the entries a walk with sub-folders lists, sorted.
std::vector<std::string> makeLinkLoops(const std::string& root);

// A RAM-backed folder for a very deep tree (creating and removing 100,000
// nested folders on a disk takes half a minute), removed by rm, which unlike
// std::filesystem has no path limit.
class DeepTreeDir : public RamDir {
public:
    DeepTreeDir() = default;
    ~DeepTreeDir();
};

} // namespace zentory::test
