#include "RaceTree.h"

#include "Files.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;

namespace zentory::test {

RaceTree::RaceTree(const std::string& root, std::mt19937& rng) {
    for (int f = 0; f < 10; ++f) {
        addFile(root + "/f" + std::to_string(f));
    }
    for (int d = 0; d < 80; ++d) {
        const std::string folder = root + "/d" + std::to_string(d);
        addFolder(folder);
        addFolder(folder + "/s");
        for (int f = 0; f < 20; ++f) {
            addFile(folder + "/f" + std::to_string(f));
        }
        for (int f = 0; f < 5; ++f) {
            addFile(folder + "/s/g" + std::to_string(f));
        }
        if (rng() % 3 == 0) {
            victims.push_back(rng() % 3 == 0 ? folder + "/s" : folder);
        }
    }
    // Deeper than the walk keeps folders open: coming back up it opens
    // them again, also when the folder below is gone by then.
    std::string chain = root + "/deep";
    for (int level = 0; level < 90; ++level) {
        addFolder(chain);
        addFile(chain + "/f");
        chain += "/c";
        if (level == 40 + static_cast<int>(rng() % 45)) {
            victims.push_back(chain);
        }
    }
}

void RaceTree::addFolder(const std::string& path) {
    fs::create_directory(path);
    folders.insert(path);
}

void RaceTree::addFile(const std::string& path) {
    touch(path);
    files.insert(path + "\n");
}

bool RaceTree::untouched(const std::string& entry) const {
    return std::none_of(victims.begin(), victims.end(),
                        [&](const std::string& v) { return entry.starts_with(v + "/"); });
}

void strike(const std::vector<std::string>& victims, unsigned seed, unsigned pauseMicros) {
    std::mt19937 rng(seed);
    for (size_t i = 0; i < victims.size(); ++i) {
        if (i > 0) {
            std::this_thread::sleep_for(std::chrono::microseconds(rng() % pauseMicros));
        }
        std::error_code ec;
        if ((i + seed) % 2 == 0) {
            fs::remove_all(victims[i], ec);
        } else {
            fs::permissions(victims[i], fs::perms::none, ec);
        }
    }
}

} // namespace zentory::test
