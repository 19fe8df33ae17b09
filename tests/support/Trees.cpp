#include "Trees.h"

#include "Files.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

namespace fs = std::filesystem;

namespace zentory::test {

std::vector<std::string> entriesOf(const FileList& files) {
    std::vector<std::string> entries;
    entries.reserve(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        entries.emplace_back(files.entry(i));
    }
    return entries;
}

std::vector<std::string> entries(const std::string& folder, std::vector<std::string> names) {
    for (auto& name : names) {
        name = folder + "/" + name + "\n";
    }
    return names;
}

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

std::string repeat(const std::string& part, int times) {
    std::string s;
    s.reserve(part.size() * static_cast<size_t>(times));
    for (int i = 0; i < times; ++i) {
        s += part;
    }
    return s;
}

RandomTree makeRandomTree(const std::string& root, const std::vector<std::string>& parts,
                          unsigned seed, int steps, size_t maxParts, size_t folderOdds,
                          size_t recent) {
    std::mt19937 rng(seed);
    auto pick = [&](size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng); };
    RandomTree tree;
    tree.folders = {root};
    for (int i = 0; i < steps; ++i) {
        auto& folders = tree.folders;
        const std::string& parent =
            recent == 0 ? folders[pick(folders.size())]
                        : folders[folders.size() - 1 - pick(std::min(folders.size(), recent))];
        std::string name = parts[pick(parts.size())];
        for (size_t more = pick(maxParts); more > 0; --more) {
            name += parts[pick(parts.size())];
        }
        const std::string path = parent + "/" + name;
        if (name == "." || name == ".." || fs::exists(fs::symlink_status(path))) {
            continue;
        }
        if (pick(folderOdds) == 0) {
            fs::create_directory(path);
            folders.push_back(path);
        } else {
            writeBytes(path, "x");
            if (name.back() != '.') {
                tree.expected.push_back(path + "\n");
            }
        }
    }
    return tree;
}

void makeChain(const std::string& base, int depth, const std::function<void(int)>& atLevel) {
    const fs::path saved = fs::current_path();
    fs::current_path(base);
    for (int level = 1; level <= depth; ++level) {
        fs::create_directory("d");
        fs::current_path("d");
        atLevel(level);
    }
    fs::current_path(saved);
}

std::vector<std::string> makeNestedTree(const std::string& root, int files) {
    constexpr int kFanOut = 3;
    constexpr size_t kFolders = 1 + 3 + 9 + 27 + 81; // four levels below the root
    std::vector<std::string> folders{root};
    for (size_t i = 0; folders.size() < kFolders; ++i) {
        for (int c = 0; c < kFanOut; ++c) {
            folders.push_back(folders[i] + "/d" + std::to_string(c));
            fs::create_directory(folders.back());
        }
    }
    std::vector<std::string> paths;
    for (int i = 0; i < files; ++i) {
        paths.push_back(folders[static_cast<size_t>(i) % kFolders] + "/f" + std::to_string(i));
        touch(paths.back());
    }
    return sorted(paths);
}

std::vector<std::string> makeLinkLoops(const std::string& root) {
    for (const char* folder : {"a", "b", "c"}) {
        touch(root + "/" + folder + "/f" + folder);
    }
    fs::create_directory_symlink("../b", root + "/a/l1");
    fs::create_directory_symlink("../c", root + "/b/l2");
    fs::create_directory_symlink("../a", root + "/c/l3");
    fs::create_directory_symlink(".", root + "/self");
    fs::create_symlink("y", root + "/x");
    fs::create_symlink("x", root + "/y");
    return sorted(entries(root, {"a/fa", "a/l1/fb", "a/l1/l2/fc", "b/fb", "b/l2/fc", "b/l2/l3/fa",
                                 "c/fc", "c/l3/fa", "c/l3/l1/fb", "x", "y"}));
}

DeepTreeDir::~DeepTreeDir() {
    // rm removes a tree deeper than a path can name, which remove_all cannot.
    if (std::system(("rm -rf '" + path() + "'").c_str()) != 0) {
        std::fprintf(stderr, "could not remove the test tree %s\n", path().c_str());
    }
}

} // namespace zentory::test
