// zentory-cli run as a real process on temporary trees.

#include "export/TextExport.h"
#include "platform/Clock.h"

#include "CliSupport.h"
#include "ProgramFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace zentory::test;

namespace {

// "YYYY/MM/DD hh:mm" of now, as the footer writes it.
std::string footerNow() {
    const auto t = zentory::platform::localNow();
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute);
    return buf;
}

class Cli : public ::testing::Test {
protected:
    // Runs `command` (zentory-cli unless told) with `args` in the temporary folder.
    Observed run(const std::vector<std::string>& args,
                 std::vector<std::string> command = {kCliPath}) {
        command.insert(command.end(), args.begin(), args.end());
        return runProcess(command, dir.path());
    }

    // The worked example's tree as `name` below the temporary folder.
    std::string makeWorkTree(const std::string& name = "Work") {
        const std::string work = dir / name;
        for (const char* file : {"Budget.xls", "img/logo.png", "img/old/logo.bak.png",
                                 "img/thumbs.db", "notes.txt", "zeta.doc"}) {
            writeBytes(work + "/" + file, "x");
        }
        return fs::canonical(work).string();
    }

    // A golden export with the example's folder replaced by `folder`.
    std::string golden(const std::string& file, const std::string& folder) {
        return replaced(goldenFile(file), "C:/Work", folder);
    }

    TempDir dir; // the trees and outputs
};

} // namespace

TEST_F(Cli, WorkedExampleTreeGivesTheExampleText) {
    const std::string work = makeWorkTree();
    const std::string before = footerNow();
    const Observed r = run({"-r", "-o", "out.txt", "Work"});
    const std::string after = footerNow();
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "");
    const std::string expected = golden("work_export_startup_options.txt", work);
    const std::string written = readBytes(dir / "out.txt");
    const std::string stamp = written.find(after) != std::string::npos ? after : before;
    EXPECT_SAME_BYTES(written, replaced(expected, "2007/05/17 14:30", stamp));
}

TEST_F(Cli, OptionsShapeTheTextAndStandardOutputGetsTheSameBytes) {
    const std::string work = makeWorkTree();
    const std::string expected = golden("work_export_full_path_no_extensions_no_date.txt", work);
    const Observed toFile = run({"--subfolders", "--full-path", "--no-extensions", "--no-date",
                                 "--output", dir / "out.txt", work + "//"});
    ASSERT_EQ(toFile.status, 0) << toFile.err;
    EXPECT_SAME_BYTES(readBytes(dir / "out.txt"), expected);

    const Observed dash = run({"-rfxd", "-o", "-", "./Work/."});
    EXPECT_EQ(dash.status, 0);
    EXPECT_SAME_BYTES(dash.out, expected);
    const Observed none = run({"-r", "-f", "-x", "-d", "Work/img/.."});
    EXPECT_EQ(none.status, 0);
    EXPECT_SAME_BYTES(none.out, expected);
}

TEST_F(Cli, DefaultsLeaveOutSubFoldersAndKeepNamesAndDate) {
    const std::string work = makeWorkTree();
    const Observed r = run({work});
    ASSERT_EQ(r.status, 0);
    const std::string head = "Contents of " + work +
                             "/...\r\n\r\nBudget.xls\r\nnotes.txt\r\n"
                             "zeta.doc\r\n\r\n\r\nFolder exported on ";
    EXPECT_EQ(r.out.substr(0, head.size()), head);
    EXPECT_TRUE(r.out.ends_with(" with Orvane Zentory"));
}

TEST_F(Cli, EmptyFolderGivesTheTitleLineAlone) {
    fs::create_directory(dir / "empty");
    const Observed r = run({"-d", "empty"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "Contents of " + fs::canonical(dir / "empty").string() + "/...\r\n\r\n");
}

TEST_F(Cli, RootFolderStaysTheRootAndItsLabelDoublesTheSeparator) {
    const Observed r = run({"-d", "/"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, 21), "Contents of //...\r\n\r\n");
}

TEST_F(Cli, MissingFolderFailsAndLeavesTheOutputAlone) {
    writeBytes(dir / "out.txt", "previous");
    const Observed r = run({"-o", "out.txt", "missing"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "zentory-cli: cannot open folder '" + fs::canonical(dir.path()).string() +
                         "/missing': No such file or directory\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(readBytes(dir / "out.txt"), "previous");
}

TEST_F(Cli, FileGivenAsFolderFails) {
    writeBytes(dir / "file.txt", "x");
    const Observed r = run({dir / "file.txt"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err,
              "zentory-cli: cannot open folder '" + dir / "file.txt" + "': Not a directory\n");
}

TEST_F(Cli, UnwritableOutputFailsWithTheReason) {
    makeWorkTree();
    const Observed full = run({"-o", "/dev/full", "Work"});
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "zentory-cli: cannot write to '/dev/full': No space left on device\n");
    EXPECT_TRUE(isCharDevice("/dev/full"));

    const Observed missing = run({"-o", "no/such/out.txt", "Work"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err,
              "zentory-cli: cannot create a file in 'no/such': No such file or directory\n");
    EXPECT_FALSE(fs::exists(dir / "no"));
}

TEST_F(Cli, ControlBytesInAMessageAreWrittenAsQuestionMarks) {
    const Observed folder = run({"no\nsuch\x1b[2J"});
    EXPECT_EQ(folder.status, 1);
    EXPECT_EQ(folder.err, "zentory-cli: cannot open folder '" + dir.path() +
                              "/no?such?[2J': No such file or directory\n");
    makeWorkTree();
    const Observed output = run({"-o", "new\rline/out.txt", "Work"});
    EXPECT_EQ(output.status, 1);
    EXPECT_EQ(output.err,
              "zentory-cli: cannot create a file in 'new?line': No such file or directory\n");
}

TEST_F(Cli, UnreadableSubFolderIsNamedAndTheListStillWritten) {
    const std::string work = makeWorkTree();
    writeBytes(work + "/locked/secret.txt", "x");
    for (const std::string& folder : {dir.path(), work, work + "/img", work + "/img/old"}) {
        openUpForEveryone(folder);
    }
    fs::permissions(work + "/locked", fs::perms::none);
    const Observed r = run({"-r", "-d", "-o", "out.txt", "Work"}, asNobody({kCliPath}));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "zentory-cli: cannot read folder '" + work + "/locked': Permission denied\n");
    EXPECT_SAME_BYTES(
        readBytes(dir / "out.txt"),
        replaced(golden("work_export_startup_options.txt", work),
                 "\r\n\r\n\r\nFolder exported on 2007/05/17 14:30 with Orvane Zentory", "\r\n"));
}

TEST_F(Cli, BadUsageExitsWithTwoAndOneLineWithAHint) {
    makeWorkTree();
    for (const auto& args : std::vector<std::vector<std::string>>{{},
                                                                  {"--bogus", "Work"},
                                                                  {"Work", "Work"},
                                                                  {"Work", "-o"},
                                                                  {"-q", "Work"},
                                                                  {"-o", "", "Work"},
                                                                  {"--threads", "-1", "Work"},
                                                                  {"--threads", "all", "Work"},
                                                                  {"--threads", "2000", "Work"}}) {
        const Observed r = run(args);
        EXPECT_EQ(r.status, 2) << args.size();
        EXPECT_TRUE(r.err.starts_with("zentory-cli: ")) << r.err;
        EXPECT_TRUE(r.err.ends_with("\nRun with --help for more information.\n")) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << r.err;
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(Cli, HelpAndVersionGoToStandardOutput) {
    const Observed help = run({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("-r,--subfolders"), std::string::npos);
    EXPECT_NE(help.out.find("-o,--output FILE"), std::string::npos);
    EXPECT_NE(help.out.find("CR LF line ends"), std::string::npos);
    EXPECT_NE(help.out.find("--threads N"), std::string::npos);
    const Observed version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "zentory-cli 1.01\n");
}

// However many threads read, the list is the same, byte for byte.
TEST_F(Cli, ThreadsChangeNothingInTheList) {
    makeWorkTree();
    const Observed automatic = run({"-r", "-d", "--size", "Work"});
    ASSERT_EQ(automatic.status, 0);
    for (const char* threads : {"0", "1", "3", "64"}) {
        const Observed r = run({"-r", "-d", "--size", "--threads", threads, "Work"});
        EXPECT_EQ(r.status, 0) << threads;
        EXPECT_SAME_BYTES(r.out, automatic.out);
    }
}

// A copy of the program in another folder uses the catalogue beside it.
TEST_F(Cli, TextsComeFromTheCatalogueBesideTheExecutable) {
    const std::string work = makeWorkTree();
    const std::string bin = dir / "bin";
    fs::create_directory(bin);
    fs::copy_file(kCliPath, bin + "/zentory-cli");
    fs::copy_file(shippedFile("zentorytrl.ini"), bin + "/zentorytrl.ini");
    writeBytes(bin + "/config.ini",
               "Product ID\nzentory\nLanguage\n[1031]\nDialects[1031]\n\nHomepage\nx\n");
    const Observed german = run({"-r", "-d", "Work"}, {bin + "/zentory-cli"});
    EXPECT_EQ(german.status, 0);
    EXPECT_TRUE(german.out.starts_with("Inhalt von " + work + "/...\r\n")) << german.out;
    EXPECT_NE(german.out.find("\r\nOrdner .../img:\r\n"), std::string::npos);

    fs::remove(bin + "/zentorytrl.ini");
    const Observed missing = run({"-d", "Work"}, {bin + "/zentory-cli"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err,
              "zentory-cli: cannot open '" + bin + "/zentorytrl.ini': No such file or directory\n");
    EXPECT_EQ(missing.out, "");
}

// Far more folders deep than open files allowed: the walk keeps only a few open.
TEST_F(Cli, DeepTreeNeedsFewOpenFiles) {
    const fs::path saved = fs::current_path();
    fs::current_path(dir.path());
    for (int level = 1; level <= 1000; ++level) {
        fs::create_directory("d");
        fs::create_directory("e");
        touch("e/g");
        fs::current_path("d");
    }
    fs::current_path(saved);
    const Observed r =
        run({"-r", "-d", "-f", "d"}, {"sh", "-c", "ulimit -n 100 && exec \"$0\" \"$@\"", kCliPath});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    size_t lines = 0;
    for (size_t at = r.out.find("/e/g\r\n"); at != std::string::npos;
         at = r.out.find("/e/g\r\n", at + 1)) {
        ++lines;
    }
    EXPECT_EQ(lines, 999u);
}

// Hundreds of folders, read on several threads: every run gives the bytes the
// core composes from the sorted paths, to a file and to standard output alike.
TEST_F(Cli, ManyFoldersGiveTheComposedBytesOfTheSortedPathsOnEveryRun) {
    const std::string top = dir / "big";
    std::vector<std::string> paths;
    std::string folder = top;
    for (int f = 0; f < 250; ++f) {
        // A new branch every 20 folders, otherwise one level deeper.
        folder =
            f % 20 == 0 ? top + "/B" + std::to_string(f) : folder + "/s" + std::to_string(f % 7);
        fs::create_directories(folder);
        for (int i = 0; i < 16; ++i) {
            const std::string path = folder + "/f" + std::to_string(i * 7919 % 1000) + ".t";
            touch(path);
            paths.push_back(path);
        }
    }
    std::sort(paths.begin(), paths.end());
    zentory::FileList list;
    for (const auto& path : paths) {
        list.append(path);
    }
    zentory::ExportOptions options;
    options.showFullPath = true;
    options.showDateTime = false;
    const std::string expected =
        zentory::composeExport({list, top, options, {"Contents of", "Folder"}, {}});

    for (int round = 0; round < 2; ++round) {
        const Observed toFile = run({"-r", "-f", "-d", "-o", "out.txt", "big"});
        ASSERT_EQ(toFile.status, 0) << toFile.err;
        EXPECT_SAME_BYTES(readBytes(dir / "out.txt"), expected) << "round " << round;
        const Observed toOutput = run({"-r", "-f", "-d", "big"});
        ASSERT_EQ(toOutput.status, 0) << toOutput.err;
        EXPECT_SAME_BYTES(toOutput.out, expected) << "round " << round;
    }
}
