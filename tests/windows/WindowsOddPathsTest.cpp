// Paths that the system's own path rules would change: names that end in a
// space or a dot below the chosen folder, a settings folder on a network
// share, and a quoted folder that ends in a backslash on the command line.

#include "WinTest.h"

#include "../support/SurvivalLog.h"
#include "listing/FolderScan.h"
#include "listing/StatFiles.h"
#include "platform/ProgramFolders.h"
#include "platform/win32/CommandLine.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace wintest;
namespace platform = zentory::platform;

// Made through "\\?\" paths, which Wine, like Windows, takes as they are.
TEST(WindowsOddNames, HostileTrailingSpacesAndDotsAreListedAndSized) {
    TempDir dir;
    const std::wstring odd = L"\\\\?\\" + pathOf(dir / "Odd").wstring();
    const auto make = [&](const std::wstring& folder, const std::wstring& file, const char* bytes) {
        CreateDirectoryW((odd + folder).c_str(), nullptr);
        HANDLE h = CreateFileW((odd + folder + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD n = 0;
        ASSERT_TRUE(WriteFile(h, bytes, static_cast<DWORD>(strlen(bytes)), &n, nullptr));
        CloseHandle(h);
    };
    make(L"", L"\\a.txt", "a");
    make(L"\\sub2 ", L"\\b.txt", "bb");
    make(L"\\sub.", L"\\c.txt", "ccc");
    make(L"", L"\\space ", "dddd");
    zentory::ScanOptions options = zentory::ScanOptions::all(true);
    options.fileStats = true;
    const std::string root = dir / "Odd";
    const zentory::ScanResult scan = zentory::ScanFolder(root, options);
    ASSERT_FALSE(scan.folderError.has_value()) << scan.folderError->what();
    EXPECT_TRUE(scan.unreadableFolders.empty()) << scan.unreadableFolders.front().what();
    std::vector<std::string> paths;
    std::vector<int64_t> sizes;
    for (size_t i = 0; i < scan.files.size(); ++i) {
        paths.push_back(scan.files.path(i));
        sizes.push_back(scan.stats.at(i).size);
    }
    EXPECT_EQ(paths, (std::vector<std::string>{root + "\\a.txt", root + "\\space ",
                                               root + "\\sub.\\c.txt", root + "\\sub2 \\b.txt"}));
    EXPECT_EQ(sizes, (std::vector<int64_t>{1, 4, 3, 2}));
    // The walk takes sizes and times from the folder's listing; asked one by
    // one, each file tells the same (statFiles opens folders by their plain
    // path, which the system trims, so it cannot ask in "sub." and "sub2 ").
    const std::vector<zentory::FileStat> oneByOne = zentory::statFiles(scan.files);
    for (size_t i = 0; i < scan.files.size(); ++i) {
        if (!oneByOne[i].known()) {
            continue;
        }
        EXPECT_EQ(scan.stats[i].size, oneByOne[i].size) << paths[i];
        EXPECT_EQ(scan.stats[i].modified, oneByOne[i].modified) << paths[i];
    }
    zentory::test::recordSurvival("Windows: names the system's path rules trim",
                                  "folders 'sub2 ' and 'sub.', a file 'space '",
                                  "listed with their files and sizes");
}

// %APPDATA% redirected to a share: the server and the share are there to be
// used, not made. The share is a folder of the prefix (see CMakeLists.txt).
TEST(WindowsSettingsFolderOnAShare, IsMadeBelowTheShareOnly) {
    const std::string unique = "zentory-" + std::to_string(GetCurrentProcessId());
    for (const std::string share :
         {"\\\\zentory-server\\share", "\\\\?\\UNC\\zentory-server\\share"}) {
        SCOPED_TRACE(share);
        const std::string folder = share + "\\" + unique + "\\Orvane\\Zentory";
        EXPECT_NO_THROW(platform::createFolders(folder));
        EXPECT_NO_THROW(platform::createFolders(folder)); // already there
        EXPECT_TRUE(platform::pathExists("C:\\zentory-share\\" + unique + "\\Orvane\\Zentory"));
        for (const char* below : {"\\Orvane\\Zentory", "\\Orvane", ""}) {
            RemoveDirectoryW(pathOf("C:\\zentory-share\\" + unique + below).c_str());
        }
    }
}

struct SplitCase {
    const char* name;
    const wchar_t* line;
    std::vector<std::wstring> arguments; // after the program's name
};

void PrintTo(const SplitCase& c, std::ostream* out) {
    *out << c.name;
}

class WindowsCommandLine : public testing::TestWithParam<SplitCase> {};

TEST_P(WindowsCommandLine, IsSplitAsTheRuntimeDoesButKeepsAFinalBackslash) {
    const SplitCase& c = GetParam();
    const std::vector<std::wstring> split = platform::splitCommandLine(c.line);
    ASSERT_FALSE(split.empty());
    EXPECT_EQ(split.front(), L"C:\\Program Files\\zentory.exe");
    EXPECT_EQ(std::vector<std::wstring>(split.begin() + 1, split.end()), c.arguments);
}

#define PROGRAM L"\"C:\\Program Files\\zentory.exe\""

INSTANTIATE_TEST_SUITE_P(
    Table, WindowsCommandLine,
    testing::Values(
        SplitCase{"None", PROGRAM, {}},
        SplitCase{"Plain", PROGRAM L"  -r\tC:\\Work ", {L"-r", L"C:\\Work"}},
        SplitCase{"DriveFromExplorer", PROGRAM L" \"E:\\\"", {L"E:\\"}},
        SplitCase{"FolderThenOptions",
                  PROGRAM L" \"C:\\Work Two\\\" -o \"C:\\a b.txt\"",
                  {L"C:\\Work Two\\", L"-o", L"C:\\a b.txt"}},
        SplitCase{"ShareWithDoubledBackslash", PROGRAM L" \"\\\\srv\\s\\\\\"", {L"\\\\srv\\s\\"}},
        SplitCase{"EscapedQuoteInside", PROGRAM L" \"a\\\"b\" c\\\\d", {L"a\"b", L"c\\\\d"}},
        SplitCase{"QuotesJoinParts", PROGRAM L" x\"y z\"w \"\"", {L"xy zw", L""}}),
    [](const testing::TestParamInfo<SplitCase>& info) { return std::string(info.param.name); });

#undef PROGRAM
