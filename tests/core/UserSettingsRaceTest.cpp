// The user's settings are judged by what was opened, never by a name looked
// up again: another user's folder renamed into XDG_CONFIG_HOME's path, at any
// moment of a read or a write, is neither read nor written through. Root runs
// with XDG_CONFIG_HOME=DIR/shared/cfg, DIR/shared being sticky and writable by
// everyone, as /tmp is; "nobody" keeps a folder of its own, DIR/shared/prep,
// ready to be renamed to cfg.

#include "i18n/SettingsStore.h"
#include "platform/FileError.h"
#include "platform/ProgramFolders.h"

#include "EnvironmentVariable.h"
#include "ExecutableFolder.h"
#include "Files.h"
#include "Nobody.h"
#include "SurvivalLog.h"
#include "TempDir.h"
#include "TextDiff.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zentory;
using namespace zentory::test;

namespace {

const std::string kShipped = "Product ID\r\nzentory\r\nLanguage\r\n[1033]\r\n";
const std::string kOwn = "Product ID\r\nzentory\r\nLanguage\r\n[1031]\r\n";
const std::string kNobodys = "Product ID\r\nzentory\r\nLanguage\r\n[1040]\r\n";
const std::string kNobodysFile = "shared/prep/zentory/config.ini";

// A rename, below DIR.
struct Move {
    const char* from;
    const char* to;
};

// Renames made when a settings walk has opened and checked a step, and what
// the read or the write then does.
struct RaceCase {
    const char* name;
    const char* situation; // the survival table's case
    bool ownFolder;        // DIR/shared/cfg/zentory is there, root's, with [1031]
    bool write;            // a language change to [1036] instead of a read
    const char* step;      // below DIR: the step after which...
    int nth;            // ...on its nth time (each read or write walks the path up to three times)
    Move moves[2];      // an empty `from` ends them
    const char* result; // a read: the value read; a write: below DIR, where it went ("": refused)
};

void PrintTo(const RaceCase& c, std::ostream* out) {
    *out << c.name;
}

// clang-format off
const RaceCase kCases[] = {
    {"FolderMovedInBeforeTheRead", "another user's folder renamed in after the check, before the read",
     false, false, "shared", 2, {{"shared/prep", "shared/cfg"}, {}}, "[1033]"},
    {"FolderSwappedAfterItWasOpened", "the user's folder swapped for another user's once opened",
     true, false, "shared/cfg/zentory", 2, {{"shared/cfg", "shared/old"}, {"shared/prep", "shared/cfg"}}, "[1031]"},
    {"FileSwappedAfterTheFolderWasOpened", "another user's config.ini renamed over the user's once the folder was opened",
     true, false, "shared/cfg/zentory", 2, {{kNobodysFile.c_str(), "shared/cfg/zentory/config.ini"}, {}}, "[1033]"},
    {"FolderMovedInBeforeItIsMade", "another user's folder renamed in before a language change makes the folder",
     false, true, "shared", 3, {{"shared/prep", "shared/cfg"}, {}}, ""},
    {"FolderSwappedAfterItWasMade", "the folder just made swapped for another user's before the file is written",
     false, true, "shared/cfg/zentory", 1, {{"shared/cfg", "shared/made"}, {"shared/prep", "shared/cfg"}}, "shared/made/zentory/config.ini"},
};
// clang-format on

// What the step hook does: the case's renames, once, on the nth time.
struct Swap {
    std::string dir;
    const RaceCase* race = nullptr;
    int seen = 0;
};
Swap g_swap;

void swapAtStep(const std::string& step) {
    if (step != g_swap.dir + "/" + g_swap.race->step || ++g_swap.seen != g_swap.race->nth) {
        return;
    }
    for (const Move& move : g_swap.race->moves) {
        if (move.from != nullptr) {
            fs::rename(g_swap.dir + "/" + move.from, g_swap.dir + "/" + move.to);
        }
    }
}

void giveToNobody(const std::string& path) {
    ASSERT_EQ(::lchown(path.c_str(), 65534, 65534), 0) << path;
}

class HostileUserSettingsRace : public ::testing::Test {
protected:
    HostileUserSettingsRace() {
        fs::create_directories(dir / "bin");
        writeBytes(dir / "share/zentory/config.ini", kShipped);
        fs::create_directories(dir / "shared");
        fs::permissions(dir / "shared", fs::perms(01777), fs::perm_options::replace);
        fs::permissions(dir.path(), fs::perms(0755), fs::perm_options::replace);
        configHome.set((dir / "shared/cfg").c_str());
    }
    void SetUp() override {
        if (!runningAsRoot()) {
            GTEST_SKIP() << "needs root to give a folder to another user";
        }
        writeBytes(dir / kNobodysFile, kNobodys);
        for (const char* path : {"shared/prep", "shared/prep/zentory", kNobodysFile.c_str()}) {
            giveToNobody(dir / path);
        }
    }
    void TearDown() override { platform::setSettingsStepHook(nullptr); }

    TempDir dir;
    ExecutableFolder useBin{dir / "bin"};
    EnvironmentVariable configHome{"XDG_CONFIG_HOME"};
    CSettingsStore store;
};

class HostileUserSettingsSwap : public HostileUserSettingsRace,
                                public ::testing::WithParamInterface<RaceCase> {};

} // namespace

TEST_P(HostileUserSettingsSwap, OnlyWhatWasOpenedAndCheckedIsUsed) {
    const RaceCase& c = GetParam();
    if (c.ownFolder) {
        writeBytes(dir / "shared/cfg/zentory/config.ini", kOwn);
    }
    g_swap = {dir.path(), &c, 0};
    platform::setSettingsStepHook(swapAtStep);
    std::string outcome;
    if (!c.write) {
        outcome = store.ReadSetting("Language");
        EXPECT_EQ(outcome, c.result);
        outcome = "the read gives " + outcome;
    } else if (*c.result != '\0') {
        store.WriteSetting("Language", "[1036]");
        EXPECT_EQ(readBytes(dir / c.result), "Product ID\r\nzentory\r\nLanguage\r\n[1036]\r\n");
        outcome = "the change goes to the folder that was made, now DIR/" + std::string(c.result);
    } else {
        try {
            store.WriteSetting("Language", "[1036]");
            ADD_FAILURE() << "written";
        } catch (const platform::FileError& error) {
            EXPECT_EQ(error.reason(),
                      "'" + dir / "shared/cfg" + "' belongs to another user (uid 65534)");
            outcome = "the change is refused: " + replaced(error.what(), dir.path(), "DIR");
        }
    }
    EXPECT_EQ(g_swap.seen, c.nth) << "the renames were made";
    // Every case ends with nobody's file at cfg/zentory, untouched.
    const std::string theirs = dir / "shared/cfg/zentory/config.ini";
    EXPECT_EQ(readBytes(theirs), kNobodys);
    EXPECT_EQ(namesIn(dir / "shared/cfg/zentory"), std::vector<std::string>{"config.ini"});
    struct stat st {};
    EXPECT_EQ(::stat(theirs.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 65534u);
    recordSurvival("settings folder",
                   std::string(c.situation) + " (root, XDG_CONFIG_HOME in a sticky shared folder)",
                   outcome + "; the other user's file is neither read nor changed");
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileUserSettingsSwap, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The same without a hook: nobody renames its folder in and out as fast as it
// can while root reads the settings again and again.
TEST_F(HostileUserSettingsRace, AFolderRenamedInAndOutIsNeverRead) {
    const std::string prep = dir / "shared/prep";
    const std::string cfg = dir / "shared/cfg";
    const pid_t renamer = ::fork();
    if (renamer == 0) {
        if (!becomeNobody()) {
            ::_exit(99);
        }
        for (;;) {
            ::rename(prep.c_str(), cfg.c_str());
            ::rename(cfg.c_str(), prep.c_str());
        }
    }
    ASSERT_GT(renamer, 0);
    constexpr int kReads = 2000;
    int nobodys = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kReads; ++i) {
        nobodys += store.ReadSetting("Language") == "[1040]" ? 1 : 0;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ::kill(renamer, SIGKILL);
    int status = 0;
    ::waitpid(renamer, &status, 0);
    if (!fs::exists(prep)) {
        fs::rename(cfg, prep); // killed between its two renames
    }
    EXPECT_EQ(nobodys, 0) << "reads of nobody's config.ini in " << kReads;
    EXPECT_EQ(readBytes(dir / kNobodysFile), kNobodys);
    recordSurvival("settings folder",
                   "another user renames a folder of theirs in and out of XDG_CONFIG_HOME's path "
                   "while root reads the settings " +
                       std::to_string(kReads) + " times",
                   "no read uses the other user's config.ini (" + std::to_string(kReads) +
                       " reads in " + std::to_string(static_cast<int>(seconds * 1000)) + " ms)");
}
