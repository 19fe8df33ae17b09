// The user's own settings folder in an installed tree is used only when it is
// the user's: root started with another user's XDG_CONFIG_HOME (su without
// "-") reads the shipped settings and writes nothing, through no link of that
// user. Run as root, with "nobody" as the other user.

#include "i18n/FileErrorText.h"
#include "i18n/SettingsStore.h"
#include "platform/Environment.h"
#include "platform/FileError.h"
#include "platform/ProgramFolders.h"

#include "EnvironmentVariable.h"
#include "ExecutableFolder.h"
#include "Files.h"
#include "Nobody.h"
#include "Process.h"
#include "SurvivalLog.h"
#include "TempDir.h"
#include "TextDiff.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zentory;
using namespace zentory::test;

namespace {

const std::string kShipped = "Product ID\r\nzentory\r\nLanguage\r\n[1033]\r\n";
const std::string kOwn = "Product ID\r\nzentory\r\nLanguage\r\n[1031]\r\n";

void giveToNobody(const std::string& path) {
    ASSERT_EQ(::lchown(path.c_str(), 65534, 65534), 0) << path;
}

// One way the settings folder DIR/config/zentory can stand, and what the
// refusal names (below DIR) and why; no refusal: the folder is used, and its
// config.ini is `ownFile`.
struct OwnerCase {
    const char* name;
    const char* situation; // the survival table's case
    void (*arrange)(const TempDir& dir);
    const char* refusedPath;
    const char* why;
    const char* ownFile;
};

void PrintTo(const OwnerCase& c, std::ostream* out) {
    *out << c.name;
}

const char* const kAnothers = "belongs to another user (uid 65534)";
const std::string kAt = "config/zentory/config.ini";

// clang-format off
const OwnerCase kCases[] = {
    {"OwnFolder", "", [](const TempDir& d) { writeBytes(d / kAt, kOwn); }, "", "", "config/zentory/config.ini"},
    {"OwnLinkToOwnFolder", "", [](const TempDir& d) {
         writeBytes(d / "dotfiles/config.ini", kOwn);
         fs::create_directories(d / "config");
         fs::create_directory_symlink(d / "dotfiles", d / "config/zentory"); },
     "", "", "dotfiles/config.ini"},
    {"FolderOfAnother", "the settings folder is another user's", [](const TempDir& d) {
         writeBytes(d / kAt, kOwn);
         giveToNobody(d / kAt);
         giveToNobody(d / "config/zentory"); },
     "config/zentory", kAnothers, nullptr},
    {"FolderOnTheWayOfAnother", "XDG_CONFIG_HOME is another user's folder, no settings in it yet",
     [](const TempDir& d) { fs::create_directories(d / "config"); giveToNobody(d / "config"); },
     "config", kAnothers, nullptr},
    {"LinkOfAnother", "the settings folder is another user's link to a folder of root's", [](const TempDir& d) {
         writeBytes(d / "roots/config.ini", kOwn);
         fs::create_directories(d / "config");
         fs::create_directory_symlink(d / "roots", d / "config/zentory");
         giveToNobody(d / "config/zentory"); },
     "config/zentory", kAnothers, nullptr},
    {"ConfigLinkOfAnother", "config.ini is another user's link to a file of root's", [](const TempDir& d) {
         writeBytes(d / "secret", "root's own\r\n");
         fs::create_directories(d / "config/zentory");
         fs::create_symlink(d / "secret", d / kAt);
         giveToNobody(d / kAt); },
     "config/zentory/config.ini", kAnothers, nullptr},
    {"OwnLinkToAnothersFolder", "the user's own link to another user's folder", [](const TempDir& d) {
         writeBytes(d / "theirs/config.ini", kOwn);
         giveToNobody(d / "theirs");
         fs::create_directories(d / "config");
         fs::create_directory_symlink(d / "theirs", d / "config/zentory"); },
     "config/zentory", kAnothers, nullptr},
    {"EveryoneMayChangeAFolderOnTheWay", "XDG_CONFIG_HOME is root's, but every user may change it (0777)",
     [](const TempDir& d) { writeBytes(d / kAt, kOwn); fs::permissions(d / "config", fs::perms::all); },
     "config", "every user may change", nullptr},
};
// clang-format on

// Every entry below `root` (links not followed) with its owner, mode and bytes.
std::map<std::string, std::string> snapshot(const std::string& root) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        struct stat st {};
        ::lstat(entry.path().c_str(), &st);
        entries[entry.path()] = std::to_string(st.st_uid) + " " + std::to_string(st.st_mode) + " " +
                                (S_ISREG(st.st_mode) ? readBytes(entry.path()) : "");
    }
    return entries;
}

class HostileUserSettingsOwner : public ::testing::TestWithParam<OwnerCase> {
protected:
    HostileUserSettingsOwner() {
        fs::create_directories(dir / "bin");
        writeBytes(dir / "share/zentory/config.ini", kShipped);
        configHome.set((dir / "config").c_str());
    }

    TempDir dir;
    ExecutableFolder useBin{dir / "bin"};
    EnvironmentVariable configHome{"XDG_CONFIG_HOME"};
    CSettingsStore store;
};

} // namespace

TEST_P(HostileUserSettingsOwner, OnlyTheUsersOwnFolderIsReadOrWritten) {
    const OwnerCase& c = GetParam();
    if (!runningAsRoot() && *c.refusedPath != '\0') {
        GTEST_SKIP() << "needs root to give files to another user";
    }
    c.arrange(dir);

    if (*c.refusedPath == '\0') {
        EXPECT_EQ(store.UserSettingsRefusal(), "");
        EXPECT_EQ(store.ReadSetting("Language"), "[1031]");
        store.WriteSetting("Language", "[1036]");
        EXPECT_EQ(readBytes(dir / c.ownFile), "Product ID\r\nzentory\r\nLanguage\r\n[1036]\r\n");
        EXPECT_EQ(readBytes(dir / "share/zentory/config.ini"), kShipped);
        return;
    }
    const std::string path = "'" + dir / c.refusedPath + "'";
    const std::string why =
        std::string(c.why) == kAnothers ? path + " " + kAnothers : std::string(c.why) + " " + path;
    EXPECT_EQ(store.UserSettingsRefusal(),
              "not using the settings in '" + dir / "config/zentory" + "': " + why);
    EXPECT_EQ(store.SettingsPath(), dir / "share/zentory/config.ini");
    EXPECT_EQ(store.ReadSetting("Language"), "[1033]") << "the shipped settings are read";

    const auto before = snapshot(dir.path());
    std::string refusal;
    try {
        store.WriteSetting("Language", "[1036]");
        ADD_FAILURE() << "the change was written";
    } catch (const platform::FileError& error) {
        EXPECT_EQ(error.path(), dir / kAt);
        EXPECT_EQ(error.operation(), "write to");
        EXPECT_EQ(error.reason(), why);
        refusal = error.what();
    }
    EXPECT_EQ(snapshot(dir.path()), before) << "nothing was written or made";
    recordSurvival("settings folder",
                   std::string(c.situation) + " (root with XDG_CONFIG_HOME=DIR/config)",
                   "the shipped settings are read; a language change writes nothing and "
                   "raises \"" +
                       replaced(refusal, dir.path(), "DIR") + "\"");
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileUserSettingsOwner, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Making the folder goes through no link of another user, whoever checked
// the path before.
TEST(HostileUserSettingsFolder, CreatingGoesThroughNoLinkOfAnotherUser) {
    if (!runningAsRoot()) {
        GTEST_SKIP() << "needs root to give a link to another user";
    }
    const TempDir dir;
    fs::create_directories(dir / "roots");
    fs::create_directories(dir / "config");
    fs::create_directory_symlink(dir / "roots", dir / "config/link");
    giveToNobody(dir / "config/link");
    try {
        platform::createFolders(dir / "config/link/zentory");
        ADD_FAILURE() << "made through the link";
    } catch (const platform::FileError& error) {
        EXPECT_EQ(error.path(), dir / "config/link");
        EXPECT_EQ(error.operation(), "create folder");
        EXPECT_EQ(error.reason(), "'" + dir / "config/link" + "' " + kAnothers);
    }
    EXPECT_TRUE(namesIn(dir / "roots").empty());
}

namespace {

// The account's home as the password file would give it when HOME is unset,
// below the test's folder: the real one of whoever runs the tests is never
// looked up, read or written.
std::string g_accountHome;

class AccountHome {
public:
    explicit AccountHome(std::string home) {
        g_accountHome = std::move(home);
        platform::setAccountHomeLookup([] { return g_accountHome; });
    }
    ~AccountHome() { platform::setAccountHomeLookup(nullptr); }
    AccountHome(const AccountHome&) = delete;
    AccountHome& operator=(const AccountHome&) = delete;
};

// An account without HOME and XDG_CONFIG_HOME whose home in the password file
// (below DIR, the test's folder) is of no use, and what a language change says.
struct NoHomeCase {
    const char* name;
    const char* home;    // below DIR; nullptr: the account has none
    const char* message; // DIR stands for the test's folder
    const char* situation;
};

void PrintTo(const NoHomeCase& c, std::ostream* out) {
    *out << c.name;
}

// clang-format off
const NoHomeCase kNoHomeCases[] = {
    {"HomeMissingInAReadOnlyFolder", "locked/home",
     "Cannot create the folder \"DIR/locked/home\".\n\nPermission denied.",
     "HOME unset, no XDG_CONFIG_HOME, the account's home missing in a folder the user may not change"},
    {"NoHomeAtAll", nullptr,
     "Cannot write to the file \"DIR/share/zentory/config.ini\".\n\nno home folder for the user's own copy.",
     "HOME unset, no XDG_CONFIG_HOME, no home in the password file"},
};
// clang-format on

class HostileUserSettingsHome : public ::testing::TestWithParam<NoHomeCase> {};

} // namespace

// A language change says which folder it could not make, in a sentence, and
// changes nothing. Run as nobody when the tests run as root, whom the folder's
// mode would not stop.
TEST_P(HostileUserSettingsHome, TheMessageNamesWhatIsMissing) {
    const NoHomeCase& c = GetParam();
    const TempDir dir;
    writeBytes(dir / "share/zentory/config.ini", kShipped);
    fs::create_directories(dir / "bin");
    fs::create_directories(dir / "locked");
    fs::permissions(dir / "locked", fs::perms(0555), fs::perm_options::replace);
    // Sticky, so that nobody may reach it and the settings check still trusts it.
    fs::permissions(dir.path(), fs::perms(01777), fs::perm_options::replace);
    const ExecutableFolder useBin(dir / "bin");
    const EnvironmentVariable home("HOME");
    const EnvironmentVariable configHome("XDG_CONFIG_HOME");
    home.set(nullptr);
    configHome.set(nullptr);
    const AccountHome account(c.home != nullptr ? dir / c.home : std::string());
    const Observed o = runInChild([] {
        if (!becomeNobody()) {
            return std::string("could not become nobody");
        }
        try {
            CSettingsStore().WriteSetting("Language", "[1031]");
            return std::string("written");
        } catch (const platform::FileError& error) {
            return fileErrorText(CTranslator(), error);
        }
    });
    EXPECT_EQ(replaced(o.out, dir.path(), "DIR"), c.message) << o.err;
    EXPECT_EQ(readBytes(dir / "share/zentory/config.ini"), kShipped);
    EXPECT_EQ(namesIn(dir / "locked"), std::vector<std::string>{});
    recordSurvival("settings folder", c.situation,
                   "a language change reports \"" +
                       replaced(replaced(o.out, dir.path(), "DIR"), "\n\n", " ") + "\"");
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileUserSettingsHome, ::testing::ValuesIn(kNoHomeCases),
                         [](const auto& info) { return std::string(info.param.name); });
