// Choosing files by name, depth and hiddenness: the wildcard matcher against
// the C library's fnmatch, and every combination of the rules, walked on a real
// tree, against a plain model of them.

#include "listing/FolderScan.h"
#include "listing/Glob.h"

#include "Files.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <fnmatch.h>
#include <random>
#include <sys/stat.h>

namespace fs = std::filesystem;
using zentory::Glob;
using zentory::ListFilter;
using zentory::ScanFolder;
using zentory::ScanOptions;
using namespace zentory::test;

namespace {

bool fnmatches(const std::string& pattern, const std::string& name, bool ignoreCase) {
    return ::fnmatch(pattern.c_str(), name.c_str(), ignoreCase ? FNM_CASEFOLD : 0) == 0;
}

// A random pattern of literals, "?", "*" and sets over a few letters.
std::string randomPattern(std::mt19937& random) {
    static const std::vector<std::string> pieces = {
        "a", "b", "B", ".", "*", "?", "[ab]", "[!a]", "[^b.]", "[a-c]", "[]a]", "[B-Z]", "x", "["};
    std::string pattern;
    const size_t length = 1 + random() % 5;
    for (size_t i = 0; i < length; ++i) {
        pattern += pieces[random() % pieces.size()];
    }
    return pattern;
}

std::string randomName(std::mt19937& random) {
    static const std::string letters = "abAB.cx[";
    std::string name;
    const size_t length = 1 + random() % 6;
    for (size_t i = 0; i < length; ++i) {
        name += letters[random() % letters.size()];
    }
    return name;
}

} // namespace

TEST(Glob, AgreesWithFnmatchOnAsciiNamesWithAndWithoutCase) {
    std::mt19937 random(14);
    for (int round = 0; round < 4000; ++round) {
        const std::string pattern = randomPattern(random);
        for (bool ignoreCase : {false, true}) {
            const Glob glob(pattern, ignoreCase);
            for (int k = 0; k < 8; ++k) {
                const std::string name = randomName(random);
                ASSERT_EQ(glob.matches(name), fnmatches(pattern, name, ignoreCase))
                    << "pattern '" << pattern << "' name '" << name << "' case " << ignoreCase;
            }
        }
    }
}

TEST(Glob, EscapesSetsAndStarsFollowTheShell) {
    EXPECT_TRUE(Glob("\\*.txt", false).matches("*.txt"));
    EXPECT_FALSE(Glob("\\*.txt", false).matches("a.txt"));
    EXPECT_TRUE(Glob("[\\]]", false).matches("]"));
    EXPECT_TRUE(Glob("*", false).matches(".hidden")); // hiding is --no-hidden's business
    EXPECT_TRUE(Glob("a*b*c", false).matches("aXbYbZc"));
    EXPECT_FALSE(Glob("a*b*c", false).matches("aXbYbZ"));
    EXPECT_TRUE(Glob("[a-", false).matches("[a-"));
    EXPECT_FALSE(Glob("", false).matches("a"));
    EXPECT_TRUE(Glob("**", false).matches(std::string(100000, 'a')));
}

TEST(Glob, UnicodeCharactersCountAsOneAndOtherBytesMatchOnlyThemselves) {
    EXPECT_TRUE(Glob("?.txt", false).matches("\xC3\xA9.txt"));          // é
    EXPECT_TRUE(Glob("[\xC3\xA9\xC3\xA8]", false).matches("\xC3\xA8")); // [éè]
    EXPECT_TRUE(Glob("\xC3\x89T\xC3\x89", true).matches("\xC3\xA9t\xC3\xA9"));
    EXPECT_TRUE(Glob("[\xC3\x80-\xC3\x9E]", true).matches("\xC3\xA9")); // [À-Þ] takes é
    EXPECT_FALSE(Glob("\xC3\x89", false).matches("\xC3\xA9"));
    // A lone byte 0xC3 is one character, and not the start of "é".
    EXPECT_TRUE(Glob("?.txt", false).matches("\xC3.txt"));
    EXPECT_TRUE(Glob("\xC3*", false).matches("\xC3.txt"));
    EXPECT_FALSE(Glob("\xC3*", false).matches("\xC3\xA9.txt"));
    EXPECT_TRUE(Glob("*\xFF", true).matches("name\xFF"));
    EXPECT_FALSE(Glob("[!\xFF]", false).matches("\xFF"));
    EXPECT_TRUE(Glob("[!\xFF]", false).matches("\xFE"));
}

namespace {

// One file of the model tree: where it is and what the rules look at.
struct ModelFile {
    std::string path; // below the top
    std::string name;
    int depth;        // of its folder below the top
    bool hiddenOnWay; // a folder on its way begins with "."
};

// The rules as a person reads them, the patterns by fnmatch.
bool modelTakes(const ModelFile& f, const ListFilter& rules, bool subFolders) {
    const int deepest =
        rules.maxDepth >= 0 ? (subFolders ? rules.maxDepth : 0) : (subFolders ? INT32_MAX : 0);
    if (f.depth > deepest) {
        return false;
    }
    if (rules.noHidden && (f.hiddenOnWay || f.name.front() == '.')) {
        return false;
    }
    bool included = rules.include.empty();
    for (const auto& p : rules.include) {
        included = included || fnmatches(p, f.name, rules.ignoreCase);
    }
    for (const auto& p : rules.exclude) {
        included = included && !fnmatches(p, f.name, rules.ignoreCase);
    }
    return included;
}

} // namespace

TEST(ListFilter, EveryCombinationOfRulesListsWhatThePlainModelTakes) {
    TempDir dir;
    const std::vector<std::string> paths = {
        "a.txt",        "B.TXT",          ".hidden.txt",    "notes.md",           "img/logo.png",
        "img/a.txt",    "img/.thumbs.db", "img/old/b.txt",  "img/old/deep/c.TXT", ".git/HEAD",
        ".git/x/a.txt", "doc/readme",     "doc/.cfg/z.txt", "doc/b c,d.txt"};
    std::vector<ModelFile> model;
    for (const auto& p : paths) {
        writeBytes(dir / p, "x");
        const size_t slash = p.rfind('/');
        const std::string name = slash == std::string::npos ? p : p.substr(slash + 1);
        const int depth = static_cast<int>(std::count(p.begin(), p.end(), '/'));
        const bool hidden = p.front() == '.' || p.find("/.") < p.rfind('/');
        model.push_back({p, name, depth, hidden});
    }
    const std::vector<std::vector<std::string>> includes = {{}, {"*.txt"}, {"*.txt", "?E*"}};
    const std::vector<std::vector<std::string>> excludes = {{}, {"[ab]*"}, {"*.TXT", ".*"}};
    int combinations = 0;
    for (const auto& include : includes) {
        for (const auto& exclude : excludes) {
            for (int depth : {-1, 0, 1, 2}) {
                for (int flags = 0; flags < 8; ++flags) {
                    ScanOptions options;
                    options.subFolders = (flags & 1) != 0;
                    options.filter =
                        ListFilter{include, exclude, (flags & 2) != 0, depth, (flags & 4) != 0};
                    std::vector<std::string> expected;
                    for (const auto& f : model) {
                        if (modelTakes(f, options.filter, options.subFolders)) {
                            expected.push_back(dir.path() + "/" + f.path + "\n");
                        }
                    }
                    std::sort(expected.begin(), expected.end());
                    const auto scan = ScanFolder(dir.path(), options);
                    std::vector<std::string> got;
                    for (size_t i = 0; i < scan.files.size(); ++i) {
                        got.push_back(scan.files.entry(i));
                    }
                    ASSERT_EQ(got, expected) << "combination " << combinations;
                    EXPECT_TRUE(scan.stats.empty());
                    ++combinations;
                }
            }
        }
    }
    EXPECT_EQ(combinations, 288);
}

TEST(ListFilter, SizesAndTimesComeWithTheListAndDanglingLinksHaveNone) {
    TempDir dir;
    writeBytes(dir / "a.txt", "hello");
    writeBytes(dir / "sub/b.bin", std::string(70000, 'b'));
    fs::create_symlink("a.txt", dir / "link");
    fs::create_symlink("nowhere", dir / "sub/dangling");
    fs::create_symlink("loop", dir / "loop");
    struct timespec times[2] = {{0, UTIME_OMIT}, {-86400 * 400, 0}}; // before 1970
    ASSERT_EQ(::utimensat(AT_FDCWD, (dir / "sub/b.bin").c_str(), times, 0), 0);
    ScanOptions options;
    options.subFolders = true;
    options.fileStats = true;
    options.threads = 2;
    const auto scan = ScanFolder(dir.path(), options);
    ASSERT_EQ(scan.files.size(), 5u);
    ASSERT_EQ(scan.stats.size(), 5u);
    for (size_t i = 0; i < scan.files.size(); ++i) {
        struct stat st;
        const std::string path = scan.files.path(i);
        if (::stat(path.c_str(), &st) != 0) {
            EXPECT_FALSE(scan.stats[i].known()) << path;
            continue;
        }
        EXPECT_EQ(scan.stats[i].size, st.st_size) << path;
        EXPECT_EQ(scan.stats[i].modified, st.st_mtim.tv_sec) << path;
    }
    EXPECT_EQ(scan.stats[3].size, 70000); // sub/b.bin
    EXPECT_EQ(scan.stats[3].modified, -86400 * 400);
    EXPECT_FALSE(scan.stats[2].known()); // loop
    EXPECT_FALSE(scan.stats[4].known()); // sub/dangling
}
