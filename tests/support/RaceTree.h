#pragma once
// A tree that a second thread attacks while the walk runs: folders removed or
// locked at random moments.

#include <random>
#include <set>
#include <string>
#include <vector>

namespace zentory::test {

// One round of the race: a tree, the files it holds, and the folders that a
// second thread removes or locks while the walk runs.
struct RaceTree {
    std::set<std::string> files;   // every entry the tree holds at the start
    std::set<std::string> folders; // every folder below the root
    std::vector<std::string> victims;

    RaceTree(const std::string& root, std::mt19937& rng);
    // Whether `entry` lies below none of the victims.
    bool untouched(const std::string& entry) const;

private:
    void addFolder(const std::string& path);
    void addFile(const std::string& path);
};

// Removes half of the victims and locks the others, the first at once and the
// others after pauses of up to `pauseMicros`, so that they land at random
// moments of the walk.
void strike(const std::vector<std::string>& victims, unsigned seed, unsigned pauseMicros);

} // namespace zentory::test
