// Hand-edited files gone wrong (the table in tests/support/HostileFiles.cpp),
// each put beside zentory-cli as its "config.ini" or translation file: the
// exit status, the start of the listing or the one error line, and bounded
// time and memory.

#include "CliSupport.h"
#include "HostileFiles.h"
#include "ProgramFolder.h"
#include "SurvivalLog.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

using namespace zentory::test;

namespace {

class CliWithDataFiles {
protected:
    CliWithDataFiles() {
        writeBytes(tree / "a.txt", "x");
        writeBytes(tree / "sub/b.txt", "x");
    }
    // The CLI's result for the survival table, with the temporary folders named DIR and BIN.
    std::string cliOutcome(const Observed& o) const {
        std::string text = "CLI exit " + std::to_string(o.status) + ": ";
        if (o.status == 0) {
            text += '"';
            text += firstLine(o.out).substr(0, o.out.find('\r'));
            text += '"';
        } else {
            text += firstLine(o.err);
        }
        return named(text);
    }
    std::string named(const std::string& text) const {
        return replaced(replaced(text, tree.path(), "DIR"), cli.folder(), "BIN");
    }

    CliCopy cli;
    TempDir tree; // the folder that the CLI lists
};

class HostileFileThroughTheCli : public CliWithDataFiles,
                                 public ::testing::TestWithParam<HostileFileCase> {};

} // namespace

TEST_P(HostileFileThroughTheCli, EndsAsTheTableSays) {
    const HostileFileCase& row = GetParam();
    const DataFiles files = dataFilesFor(row);
    cli.put("config.ini", files.settings);
    cli.put("zentorytrl.ini", files.translations);
    const Observed o = cli.run({"-r", "-d", tree.path()});
    EXPECT_FALSE(o.timedOut);
    EXPECT_EQ(o.status, row.cliStatus);
    EXPECT_EQ(named(o.err), row.cliErr);
    if (row.cliStatus != 0) {
        EXPECT_EQ(o.out, "");
    }
    EXPECT_TRUE(named(o.out).starts_with(row.cliOutStart)) << escaped(firstLine(o.out));
    EXPECT_NE(named(o.out).find(row.cliOutHolds), std::string::npos) << escaped(o.out);
    EXPECT_FALSE(exportedLines(o.out).second) << "a control byte in " << escaped(o.out);
    EXPECT_LT(o.seconds, kGenerousSeconds);
    if (!builtWithSanitizers()) {
        EXPECT_LT(o.peakKiB, memoryBoundKiB(files.settings.size() + files.translations.size()));
    }
    recordSurvival(row.file, row.hostileCase,
                   row.cliNote + cliOutcome(o) + (row.large ? " (" + costText(o) + ")" : ""));
}

INSTANTIATE_TEST_SUITE_P(Table, HostileFileThroughTheCli, ::testing::ValuesIn(hostileFiles()),
                         [](const auto& info) { return std::string(info.param.id); });

namespace {

class HostileSettingsFileThroughTheCli : public CliWithDataFiles, public ::testing::Test {};

} // namespace

// Not a file at all: a FIFO that nobody writes would hold the program at its
// start for ever, and /dev/zero would fill the memory.
TEST_F(HostileSettingsFileThroughTheCli, FifoOrEndlessDeviceIsRefusedAtOnce) {
    cli.put("zentorytrl.ini", shippedTranslations());
    const std::string config = cli.folder() + "/config.ini";
    std::string outcome;
    for (const std::string kind : {"FIFO", "link to /dev/zero"}) {
        std::filesystem::remove(config);
        if (kind == "FIFO") {
            ASSERT_EQ(::mkfifo(config.c_str(), 0644), 0);
        } else {
            std::filesystem::create_symlink("/dev/zero", config);
        }
        const Observed run = cli.run({"-d", tree.path()}, "/", 10);
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, "zentory-cli: cannot read '" + config + "': not a regular file\n");
        outcome += (outcome.empty() ? "" : "; ") + kind + ": " +
                   (run.timedOut ? "hangs" : cliOutcome(run) + " in " + secondsText(run.seconds));
    }
    recordSurvival("config.ini", "a FIFO that nobody writes; a link to /dev/zero", outcome);
}

// A sparse config.ini of 50 GB costs no disk space; read whole it would not
// fit in the memory.
TEST_F(HostileSettingsFileThroughTheCli, FiftyGigabyteSparseFileIsRefusedByItsSize) {
    cli.put("zentorytrl.ini", shippedTranslations());
    const std::string config = cli.folder() + "/config.ini";
    cli.put("config.ini", "");
    std::filesystem::resize_file(config, std::uintmax_t{50} << 30);
    const Observed run = cli.run({"-d", tree.path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "zentory-cli: cannot read '" + config + "': too large (over 1 MiB)\n");
    EXPECT_LT(run.seconds, kGenerousSeconds);
    recordSurvival("config.ini", "a 50 GB sparse file",
                   cliOutcome(run) + " (" + costText(run) + ")");
}

namespace {

// An installed tree: zentory-cli in bin/, the shipped files in share/zentory.
class HostileInstalledCli : public ::testing::Test {
protected:
    HostileInstalledCli() {
        std::filesystem::create_directories(prefix / "bin");
        std::error_code linked;
        std::filesystem::create_hard_link(kCliPath, prefix / "bin/zentory-cli", linked);
        if (linked) {
            // Another user's program (fs.protected_hardlinks), or another file system.
            std::filesystem::copy_file(kCliPath, prefix / "bin/zentory-cli");
        }
        writeBytes(prefix / "share/zentory/config.ini", readBytes(shippedFile("config.ini")));
        writeBytes(prefix / "share/zentory/zentorytrl.ini", shippedTranslations());
        writeBytes(tree / "a.txt", "x");
    }
    Observed run(const std::string& configHome) const {
        return runProcess(
            {"env", "XDG_CONFIG_HOME=" + configHome, prefix / "bin/zentory-cli", "-d", tree.path()},
            "/");
    }

    TempDir prefix;
    TempDir tree;
};

} // namespace

// Root started with another user's XDG_CONFIG_HOME (su without "-"): that
// user's German settings are left alone, and one line says why.
TEST_F(HostileInstalledCli, AnotherUsersSettingsFolderIsLeftAloneWithOneLine) {
    if (!runningAsRoot()) {
        GTEST_SKIP() << "needs root to give a folder to another user";
    }
    std::string german = readBytes(shippedFile("config.ini"));
    german.replace(german.find("[----]"), 6, "[1031]");
    writeBytes(prefix / "mine/zentory/config.ini", german);
    writeBytes(prefix / "theirs/zentory/config.ini", german);
    ASSERT_EQ(::chown((prefix / "theirs/zentory").c_str(), 65534, 65534), 0);

    const Observed own = run(prefix / "mine");
    EXPECT_EQ(own.status, 0);
    EXPECT_EQ(own.err, "");
    EXPECT_TRUE(own.out.starts_with("Inhalt von " + tree.path())) << escaped(firstLine(own.out));

    const Observed theirs = run(prefix / "theirs");
    EXPECT_EQ(theirs.status, 0);
    EXPECT_TRUE(theirs.out.starts_with("Contents of " + tree.path()))
        << escaped(firstLine(theirs.out));
    EXPECT_EQ(theirs.err, "zentory-cli: not using the settings in '" + prefix / "theirs/zentory" +
                              "': '" + prefix / "theirs/zentory" +
                              "' belongs to another user (uid 65534)\n");
    recordSurvival("settings folder",
                   "root runs zentory-cli with XDG_CONFIG_HOME naming another user's folder "
                   "(su without \"-\")",
                   "exit " + std::to_string(theirs.status) + ", the shipped settings used; " +
                       replaced(firstLine(theirs.err), prefix.path(), "PREFIX"));
}
