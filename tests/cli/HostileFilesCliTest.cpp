// Hand-edited files gone wrong (the table in tests/support/HostileFiles.cpp),
// each put beside zentory-cli as its "config.ini" or translation file: the
// exit status, the start of the listing or the one error line, and bounded
// time and memory.

#include "CliSupport.h"
#include "HostileFiles.h"
#include "SurvivalLog.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

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
