// A language change where a temporary config.ini renamed into place would
// fail or change the file: a writable config.ini in a folder the user may not
// change, and a group's shared config.ini written by a member of the group.
// Each gets the new tag in the very same file (inode, owner, group, mode).

#include "i18n/SettingsStore.h"

#include "ExecutableFolder.h"
#include "Files.h"
#include "Nobody.h"
#include "SurvivalLog.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zentory::test;

namespace {

constexpr gid_t kGroup = 4242;
const std::string kSettings = "Product ID\r\nzentory\r\nLanguage\r\n[1033]\r\n";

// Changes the language as "nobody", in group kGroup when `inGroup`; the exit
// status of that child, -1 when it did not exit normally.
int changeLanguageAsNobody(bool inGroup) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const gid_t groups[] = {kGroup};
        if (runningAsRoot() &&
            (::setgroups(inGroup ? 1 : 0, groups) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
             ::setresuid(65534, 65534, 65534) != 0)) {
            ::_exit(99);
        }
        try {
            zentory::CSettingsStore().WriteSetting("Language", "[1031]");
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    int raw = 0;
    ::waitpid(pid, &raw, 0);
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

class HostileSettingsWrite : public ::testing::Test {
protected:
    HostileSettingsWrite() {
        openUpForEveryone(dir.path());
        writeBytes(config, kSettings);
    }
    void expectChangedInPlace(const FileIdentity& before) {
        EXPECT_EQ(readBytes(config), "Product ID\r\nzentory\r\nLanguage\r\n[1031]\r\n");
        EXPECT_EQ(identityOf(config), before);
        EXPECT_EQ(namesIn(dir / "bin"), std::vector<std::string>{"config.ini"});
    }

    TempDir dir;
    const std::string config = dir / "bin/config.ini";
    const ExecutableFolder exe{dir / "bin"};
};

} // namespace

TEST_F(HostileSettingsWrite, WritableConfigInAReadOnlyFolderTakesTheChange) {
    fs::permissions(config, fs::perms(0666), fs::perm_options::replace);
    fs::permissions(dir / "bin", fs::perms(0555), fs::perm_options::replace);
    const FileIdentity before = identityOf(config);
    EXPECT_EQ(changeLanguageAsNobody(false), 0);
    expectChangedInPlace(before);
    recordSurvival("config.ini",
                   "a language change with a writable config.ini in a read-only folder (run as "
                   "nobody)",
                   "WriteSetting succeeds: the new tag in the same file, nothing beside it");
}

TEST_F(HostileSettingsWrite, GroupMemberKeepsTheGroupsFile) {
    if (!runningAsRoot()) {
        GTEST_SKIP() << "needs root to give a file to a group";
    }
    ASSERT_EQ(::chown(config.c_str(), 0, kGroup), 0);
    fs::permissions(config, fs::perms(0664), fs::perm_options::replace);
    fs::permissions(dir / "bin", fs::perms(0777), fs::perm_options::replace);
    const FileIdentity before = identityOf(config);
    EXPECT_EQ(changeLanguageAsNobody(true), 0);
    expectChangedInPlace(before);
    recordSurvival("config.ini",
                   "a language change by a member of the group that shares config.ini (0664)",
                   "WriteSetting succeeds: owner root, group 4242 and mode 0664 kept, so the "
                   "rest of the group may still change it");
}
