// The Windows half of the platform layer under Wine: paths, the walk, the
// writes, texts in the ANSI code page, the registry's language.

#include "WinTest.h"

#include "i18n/SettingsStore.h"
#include "listing/FolderPath.h"
#include "listing/FolderScan.h"
#include "listing/Glob.h"
#include "platform/Environment.h"
#include "platform/FileError.h"
#include "platform/Paths.h"
#include "platform/ProgramFolders.h"
#include "platform/SystemLanguage.h"
#include "platform/TextFile.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/Utf16.h"
#include "platform/write/SafeFile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace wintest;
namespace platform = zentory::platform;

namespace {

std::vector<std::string> listed(const std::string& folder, bool subFolders = true) {
    const zentory::ScanResult scan =
        zentory::ScanFolder(folder, zentory::ScanOptions::all(subFolders));
    EXPECT_FALSE(scan.folderError.has_value()) << scan.folderError->what();
    std::vector<std::string> paths;
    for (size_t i = 0; i < scan.files.size(); ++i) {
        paths.push_back(scan.files.path(i));
    }
    return paths;
}

} // namespace

struct AbsoluteCase {
    const char* name;
    const char* path;
    const char* workingFolder;
    const char* expected;
};

void PrintTo(const AbsoluteCase& c, std::ostream* out) {
    *out << c.path;
}

class WindowsPaths : public testing::TestWithParam<AbsoluteCase> {};

TEST_P(WindowsPaths, AreMadeAbsoluteKeepingTheDriveOrShare) {
    const AbsoluteCase& c = GetParam();
    EXPECT_EQ(zentory::absoluteFolder(c.path, c.workingFolder), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowsPaths,
    testing::Values(
        AbsoluteCase{"Drive", "C:\\Work", "D:\\x", "C:\\Work"},
        AbsoluteCase{"TrailingSeparator", "C:\\Work\\", "D:\\x", "C:\\Work"},
        AbsoluteCase{"ForwardSlashesAndDotDot", "C:/Work/img/..", "D:\\x", "C:\\Work"},
        AbsoluteCase{"Relative", "Work\\.\\img", "C:\\Users\\me", "C:\\Users\\me\\Work\\img"},
        AbsoluteCase{"AboveTheRoot", "..\\..\\..", "C:\\Users\\me", "C:\\"},
        AbsoluteCase{"DriveRoot", "C:\\", "D:\\x", "C:\\"},
        AbsoluteCase{"ShareRoot", "\\\\server\\share\\a\\..\\..", "C:\\", "\\\\server\\share\\"},
        AbsoluteCase{"DriveRelativeOnTheSameDrive", "c:img", "C:\\Work", "C:\\Work\\img"},
        AbsoluteCase{"DriveRelativeOnAnotherDrive", "D:img\\..\\x", "C:\\Work", "D:\\x"},
        AbsoluteCase{"Share", "\\\\server\\share\\Photos", "C:\\", "\\\\server\\share\\Photos"}),
    [](const testing::TestParamInfo<AbsoluteCase>& info) { return std::string(info.param.name); });

TEST(WindowsPathSpelling, RootsAndPrefixesAreTheSystemsOwn) {
    EXPECT_TRUE(platform::isAbsolutePath("C:\\x"));
    EXPECT_TRUE(platform::isAbsolutePath("c:/x"));
    EXPECT_TRUE(platform::isAbsolutePath("\\\\server\\share"));
    EXPECT_FALSE(platform::isAbsolutePath("C:x")); // the drive's own working folder
    EXPECT_FALSE(platform::isAbsolutePath("\\x"));
    EXPECT_FALSE(platform::isAbsolutePath("x\\y"));
    EXPECT_EQ(platform::prefixedPath(L"C:\\a"), L"\\\\?\\C:\\a");
    EXPECT_EQ(platform::prefixedPath(L"\\\\srv\\sh\\a"), L"\\\\?\\UNC\\srv\\sh\\a");
    EXPECT_EQ(platform::prefixedPath(L"\\\\.\\NUL"), L"\\\\.\\NUL");
    EXPECT_EQ(platform::prefixedPath(L"\\\\?\\C:\\a"), L"\\\\?\\C:\\a");
    EXPECT_EQ(platform::longPath("NUL"), L"\\\\.\\NUL");
    EXPECT_EQ(platform::longPath("C:\\a\\b\\..\\c/d"), L"\\\\?\\C:\\a\\c\\d");
}

TEST(WindowsWalk, ListsGreekAndJapaneseNamesInByteOrderWithBackslashes) {
    TempDir dir;
    const std::string root = dir / "Photos";
    const std::vector<std::string> files = {
        "\xce\x91\xce\xb8\xce\xae\xce\xbd\xce\xb1.txt", // Αθήνα
        "\xe6\x9d\xb1\xe4\xba\xac\\\xe5\xaf\x8c\xe5\xa3\xab.jpg", "a.txt", "img\\b.png"};
    for (const auto& f : files) {
        writeBytes(root + "\\" + f, "x");
    }
    EXPECT_EQ(listed(root),
              (std::vector<std::string>{root + "\\a.txt", root + "\\img\\b.png",
                                        root + "\\" + files[0], root + "\\" + files[1]}));
}

TEST(WindowsWalk, ReadsFoldersBeyondTwoHundredSixtyCharacters) {
    TempDir dir;
    std::string deep = dir.path();
    while (deep.size() < 400) {
        deep += "\\a-folder-name-of-forty-characters-long-x";
    }
    ASSERT_TRUE(platform::isAbsolutePath(deep));
    for (size_t end = dir.path().size() + 1; end != std::string::npos;) {
        end = deep.find('\\', end + 1);
        const std::string step = deep.substr(0, end);
        ASSERT_TRUE(CreateDirectoryW(platform::longPath(step).c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS)
            << step;
    }
    HANDLE h = CreateFileW(platform::longPath(deep + "\\deep.txt").c_str(), GENERIC_WRITE, 0,
                           nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(listed(dir.path()), std::vector<std::string>{deep + "\\deep.txt"});
    EXPECT_EQ(listed(deep, false), std::vector<std::string>{deep + "\\deep.txt"});
}

// The loop is a link "up" -> ".." made from the Linux side of the prefix
// (Wine makes no links itself), which Windows shows as a folder reparse point.
TEST(WindowsWalk, EntersAFolderLoopOnce) {
    const std::string loop = "C:\\zentory-loop";
    ASSERT_NE(GetFileAttributesW(platform::longPath(loop + "\\a\\up").c_str()),
              INVALID_FILE_ATTRIBUTES)
        << "the test's set-up makes " << loop;
    EXPECT_EQ(listed(loop),
              (std::vector<std::string>{loop + "\\a\\inner.txt", loop + "\\top.txt"}));
}

TEST(WindowsGlob, IgnoresTheCaseOfGreekLetters) {
    const zentory::Glob glob("*.\xce\xa4\xce\xa7\xce\xa4", true);   // *.ΤΧΤ
    EXPECT_TRUE(glob.matches("\xce\xb1.\xcf\x84\xcf\x87\xcf\x84")); // α.τχτ
    EXPECT_FALSE(zentory::Glob("*.\xce\xa4\xce\xa7\xce\xa4", false)
                     .matches("\xce\xb1.\xcf\x84\xcf\x87\xcf\x84"));
    EXPECT_TRUE(
        zentory::Glob("[\xce\xb1-\xce\xb3]*", true).matches("\xce\x92.txt")); // [α-γ]* and Β
}

class WindowsWrites : public testing::Test {
protected:
    void write(const std::string& path, const std::string& bytes) {
        platform::SafeFile file(path);
        file.write(bytes);
        file.commit();
    }

    TempDir dir;
};

TEST_F(WindowsWrites, MakeAndReplaceFilesLeavingNothingBeside) {
    const std::string path = dir / "\xe3\x83\xaa\xe3\x82\xb9\xe3\x83\x88.txt"; // リスト.txt
    write(path, "first\r\n");
    EXPECT_EQ(readBytes(path), "first\r\n");
    write(path, "second, longer\r\n");
    EXPECT_EQ(readBytes(path), "second, longer\r\n");
    EXPECT_EQ(namesIn(dir.path()),
              std::vector<std::string>{"\xe3\x83\xaa\xe3\x82\xb9\xe3\x83\x88.txt"});
}

// An abandoned write, a read-only file and one another program holds open:
// the old text stays, nothing beside it, and a held file is named as such.
TEST_F(WindowsWrites, AbandonedOrRefusedWritesLeaveTheOldText) {
    const std::string path = dir / "list.txt";
    for (const char* how : {"abandoned", "read-only", "held"}) {
        SCOPED_TRACE(how);
        writeBytes(path, "old");
        std::optional<HeldOpen> holder;
        std::string error;
        try {
            if (how == std::string("abandoned")) {
                platform::SafeFile file(path);
                file.write("new text that is never committed");
            } else if (how == std::string("held")) {
                holder.emplace(path);
                write(path, "new");
            } else {
                ASSERT_TRUE(SetFileAttributesW(pathOf(path).c_str(), FILE_ATTRIBUTE_READONLY));
                write(path, "new");
            }
        } catch (const platform::FileError& e) {
            error = e.what();
        }
        EXPECT_EQ(error.empty(), how == std::string("abandoned")) << error;
        if (how == std::string("held")) {
            EXPECT_EQ(error, "cannot open '" + path + "': another program has the file open");
        }
        holder.reset();
        EXPECT_EQ(readBytes(path), "old");
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"list.txt"});
        ASSERT_TRUE(SetFileAttributesW(pathOf(path).c_str(), FILE_ATTRIBUTE_NORMAL));
    }
}

TEST_F(WindowsWrites, AFileWithTwoNamesIsRewrittenWhereItIs) {
    const std::string path = dir / "list.txt";
    const std::string other = dir / "other name.txt";
    writeBytes(path, "an old text, longer than the new");
    ASSERT_TRUE(CreateHardLinkW(pathOf(other).c_str(), pathOf(path).c_str(), nullptr));
    write(path, "new");
    EXPECT_EQ(readBytes(path), "new");
    EXPECT_EQ(readBytes(other), "new");
}

TEST_F(WindowsWrites, TheNullDeviceIsWrittenThrough) {
    EXPECT_NO_THROW(write("NUL", "anything"));
}

TEST(WindowsTexts, Utf8FilesReadAsTheyAreAndOthersInTheAnsiCodePage) {
    TempDir dir;
    writeBytes(dir / "utf8.ini", "Caf\xc3\xa9\r\n");
    EXPECT_EQ(platform::readLines(dir / "utf8.ini"), std::vector<std::string>{"Caf\xc3\xa9"});
    writeBytes(dir / "ansi.ini", "Caf\xe9\r\n");
    if (GetACP() != 1252) {
        GTEST_SKIP() << "the prefix's ANSI code page is " << GetACP();
    }
    EXPECT_EQ(platform::readLines(dir / "ansi.ini"), std::vector<std::string>{"Caf\xc3\xa9"});
}

TEST(WindowsLanguage, ComesFromTheRegistryValue) {
    const std::wstring key = L"SYSTEM\\CurrentControlSet\\Control\\Nls\\Language";
    const std::string old = platform::readRegistryString(platform::kLanguageRegistryKey, "Default");
    for (const wchar_t* id : {L"0407", L"040c"}) {
        ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"Default", REG_SZ, id,
                                  static_cast<DWORD>((wcslen(id) + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        EXPECT_EQ(platform::widen(
                      platform::readRegistryString(platform::kLanguageRegistryKey, "Default")),
                  id);
    }
    const std::wstring back = platform::widen(old);
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"Default", REG_SZ, back.c_str(),
                    static_cast<DWORD>((back.size() + 1) * sizeof(wchar_t)));
    EXPECT_EQ(platform::readRegistryString(platform::kLanguageRegistryKey, "Other"), "");
    EXPECT_EQ(platform::localeForLanguageId(0x0407), "de_DE");
    EXPECT_EQ(platform::languageIdForLocale("fr_FR.UTF-8"), "040c");
}

TEST_F(WindowsWrites, ASecondWriterWaitsForTheFirstOnAFileWithTwoNames) {
    const std::string path = dir / "list.txt";
    writeBytes(path, "old");
    ASSERT_TRUE(CreateHardLinkW(pathOf(dir / "link.txt").c_str(), pathOf(path).c_str(), nullptr));
    HANDLE first =
        CreateFileW(pathOf(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    OVERLAPPED whole{};
    ASSERT_TRUE(LockFileEx(first, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole));
    std::thread letGo([&] {
        Sleep(300);
        OVERLAPPED all{};
        UnlockFileEx(first, 0, MAXDWORD, MAXDWORD, &all);
    });
    const ULONGLONG start = GetTickCount64();
    write(path, "new");
    const ULONGLONG waited = GetTickCount64() - start;
    letGo.join();
    CloseHandle(first);
    EXPECT_GE(waited, 250u);
    EXPECT_EQ(readBytes(dir / "link.txt"), "new");
}

TEST_F(WindowsWrites, ALongListRewrittenInPlaceIsWhole) {
    // Beyond what the rewrite holds in memory: the new and old bytes wait in
    // files that go when they are closed.
    const std::string path = dir / "list.txt";
    writeBytes(path, std::string(9 << 20, 'o'));
    ASSERT_TRUE(CreateHardLinkW(pathOf(dir / "link.txt").c_str(), pathOf(path).c_str(), nullptr));
    std::string text;
    for (int i = 0; text.size() < (10u << 20); ++i) {
        text += "line " + std::to_string(i) + "\r\n";
    }
    write(path, text);
    EXPECT_EQ(readBytes(dir / "link.txt"), text);
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"link.txt", "list.txt"}));
}

TEST(WindowsSettingsFolder, IsBesideTheProgramWhenWritableElseInAppData) {
    TempDir dir;
    platform::setExecutableFolderForTesting(dir.path());
    const platform::ProgramFolders portable = platform::programFolders();
    platform::setExecutableFolderForTesting(dir / "no such folder");
    const platform::ProgramFolders installed = platform::programFolders();
    platform::setExecutableFolderForTesting(std::nullopt);
    EXPECT_EQ(portable.data, dir.path());
    EXPECT_FALSE(portable.installed);
    EXPECT_EQ(portable.userSettings, "");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{}); // the probe is gone
    EXPECT_TRUE(installed.installed);
    EXPECT_EQ(installed.data, dir / "no such folder");
    EXPECT_EQ(installed.userSettings, platform::environmentValue("APPDATA") + "\\Orvane\\Zentory");
}

// The setup program installs for one user into a folder the user may write
// to, and leaves a marker beside the program; the unpacked zip has none.
TEST(WindowsSettingsFolder, IsInAppDataForACopyTheSetupInstalledInAWritableFolder) {
    TempDir dir;
    writeBytes(dir / platform::kInstalledMarker, "");
    platform::setExecutableFolderForTesting(dir.path());
    const platform::ProgramFolders installed = platform::programFolders();
    platform::setExecutableFolderForTesting(std::nullopt);
    EXPECT_TRUE(installed.installed);
    EXPECT_EQ(installed.data, dir.path());
    EXPECT_EQ(installed.userSettings, platform::environmentValue("APPDATA") + "\\Orvane\\Zentory");
    EXPECT_EQ(installed.userSettingsRefused, "");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{platform::kInstalledMarker});
}

struct Utf8Case {
    const char* name;
    std::string bytes;
    bool valid;
};

void PrintTo(const Utf8Case& c, std::ostream* out) {
    *out << c.name;
}

class WindowsUtf8 : public testing::TestWithParam<Utf8Case> {};

TEST_P(WindowsUtf8, IsToldFromOtherBytesAndRoundTrips) {
    const Utf8Case& c = GetParam();
    EXPECT_EQ(platform::isUtf8(c.bytes), c.valid);
    if (c.valid) {
        EXPECT_EQ(platform::narrow(platform::widen(c.bytes)), c.bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowsUtf8,
    testing::Values(Utf8Case{"Empty", "", true}, Utf8Case{"Ascii", "plain.txt", true},
                    Utf8Case{"Greek", "\xce\x91\xce\xb8\xce\xae\xce\xbd\xce\xb1", true},
                    Utf8Case{"Japanese", "\xe6\x9d\xb1\xe4\xba\xac", true},
                    Utf8Case{"BeyondTheBasicPlane", "\xf0\x9f\x93\x81", true},
                    Utf8Case{"Latin1", "Caf\xe9", false},
                    Utf8Case{"CutCharacter", "\xe6\x9d", false},
                    Utf8Case{"Surrogate", "\xed\xa0\x80", false}),
    [](const testing::TestParamInfo<Utf8Case>& info) { return std::string(info.param.name); });

class WindowsSettings : public testing::Test {
protected:
    void TearDown() override {
        platform::setExecutableFolderForTesting(std::nullopt);
        SetEnvironmentVariableW(L"APPDATA", m_appData.empty() ? nullptr : m_appData.c_str());
    }

    const std::string m_shipped = "Product ID\r\nzentory\r\nLanguage\r\n[----]\r\n";
    std::wstring m_appData = platform::widen(platform::environmentValue("APPDATA"));
    TempDir dir;
};

TEST_F(WindowsSettings, APortableFolderRewritesItsOwnConfig) {
    const std::string program = dir / "Zentory";
    writeBytes(program + "\\config.ini", m_shipped);
    platform::setExecutableFolderForTesting(program);
    zentory::CSettingsStore settings;
    settings.WriteSetting("Language", "[1031]");
    EXPECT_EQ(readBytes(program + "\\config.ini"),
              "Product ID\r\nzentory\r\nLanguage\r\n[1031]\r\n");
    EXPECT_EQ(settings.ReadSetting("Language"), "[1031]");
    EXPECT_EQ(namesIn(program), std::vector<std::string>{"config.ini"});
}

TEST_F(WindowsSettings, AnInstalledProgramUsesTheUsersOwnCopyInAppData) {
    // A folder the program cannot write to stands for Program Files: here
    // one that is not there, as Wine denies its user nothing.
    const std::string program = dir / "Program Files\\Zentory";
    platform::setExecutableFolderForTesting(program);
    const std::string appData = dir / "Roaming";
    ASSERT_TRUE(SetEnvironmentVariableW(L"APPDATA", pathOf(appData).c_str()));
    zentory::CSettingsStore settings;
    EXPECT_EQ(settings.SettingsPath(), program + "\\config.ini");
    EXPECT_THROW(settings.WriteSetting("Language", "[1036]"), platform::FileError);
    EXPECT_FALSE(std::filesystem::exists(pathOf(appData + "\\Orvane")));

    const std::string own = appData + "\\Orvane\\Zentory\\config.ini";
    writeBytes(own, m_shipped);
    EXPECT_EQ(settings.SettingsPath(), own);
    settings.WriteSetting("Language", "[1036]");
    EXPECT_EQ(settings.ReadSetting("Language"), "[1036]");
    EXPECT_EQ(readBytes(own), "Product ID\r\nzentory\r\nLanguage\r\n[1036]\r\n");
}

TEST_F(WindowsSettings, AnOldAnsiConfigIsReadAndComesBackAsUtf8) {
    if (GetACP() != 1252) {
        GTEST_SKIP() << "the prefix's ANSI code page is " << GetACP();
    }
    const std::string program = dir / "Zentory";
    writeBytes(program + "\\config.ini", m_shipped + "Homepage\r\nwww.caf\xe9.example\r\n");
    platform::setExecutableFolderForTesting(program);
    zentory::CSettingsStore settings;
    EXPECT_EQ(settings.ReadSetting("Homepage"), "www.caf\xc3\xa9.example");
    settings.WriteSetting("Language", "[1031]");
    EXPECT_EQ(
        readBytes(program + "\\config.ini"),
        "Product ID\r\nzentory\r\nLanguage\r\n[1031]\r\nHomepage\r\nwww.caf\xc3\xa9.example\r\n");
}

TEST(WindowsTexts, AFileOverTheLimitIsRefusedBeforeItIsRead) {
    TempDir dir;
    const std::string path = dir / "config.ini";
    writeBytes(path, std::string(platform::kTextFileLimit, 'x'));
    EXPECT_EQ(platform::readFile(path).size(), platform::kTextFileLimit);
    writeBytes(path, std::string(platform::kTextFileLimit + 1, 'x'));
    try {
        platform::readFile(path);
        ADD_FAILURE() << "read a file over the limit";
    } catch (const platform::FileError& e) {
        EXPECT_EQ(e.reason(), "too large (over 1 MiB)");
    }
}
