// The Windows writer under Wine: replacements the system stops halfway, each
// step of a write failing in turn, a program killed before its commit, names
// that are devices or folders, and a folder that refuses new files.

#include "WinTest.h"

#include "../support/SurvivalLog.h"
#include "platform/FileError.h"
#include "platform/StepFailure.h"
#include "platform/win32/ErrorCode.h"
#include "platform/win32/Handle.h"
#include "platform/write/SafeFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

using namespace wintest;
namespace platform = zentory::platform;
using platform::Step;

namespace {

class WindowsWriter : public testing::Test {
protected:
    void TearDown() override { platform::clearStepFailures(); }

    // Writes `bytes` to `path`; "" when that worked, else the error's text.
    static std::string save(const std::string& path, const std::string& bytes,
                            bool durable = false) {
        try {
            platform::SafeFile file(path, durable);
            file.write(bytes);
            file.commit();
            return "";
        } catch (const platform::FileError& e) {
            return e.what();
        }
    }

    // The file's identity, which a rewrite in place keeps.
    static unsigned long long fileIndex(const std::string& path) {
        platform::Handle h(CreateFileW(pathOf(path).c_str(), FILE_READ_ATTRIBUTES,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        EXPECT_TRUE(GetFileInformationByHandle(h.get(), &info));
        return (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    }

    TempDir dir;
};

} // namespace

// ReplaceFileW stopped halfway, as the seam leaves the files: for the codes
// 1176 and 1177 the old file moved to the backup name, the new one still at
// its temporary name. `renames` is how many of the writer's own moves fail.
struct ReplaceCase {
    const char* name;
    int code;
    int renames;
    const char* listText; // what list.txt holds after; "" for no file
    const char* errorEnd; // how the message ends; "" for none
    size_t leftBeside;    // files beside list.txt after
};

void PrintTo(const ReplaceCase& c, std::ostream* out) {
    *out << c.name;
}

class WindowsHostileReplace : public WindowsWriter,
                              public testing::WithParamInterface<ReplaceCase> {};

TEST_P(WindowsHostileReplace, NeverLosesBothTexts) {
    const ReplaceCase& c = GetParam();
    const std::string path = dir / "list.txt";
    writeBytes(path, "old");
    platform::failStep(Step::Replace, c.code);
    if (c.renames > 0) {
        platform::failStep(Step::Rename, EACCES, 1);
    }
    if (c.renames > 1) {
        platform::failStepAlways(Step::Rename, EACCES);
    }
    const std::string error = save(path, "new");
    EXPECT_TRUE(error.ends_with(c.errorEnd)) << error;
    EXPECT_EQ(error.empty(), *c.errorEnd == '\0') << error;
    std::vector<std::string> names = namesIn(dir.path());
    EXPECT_EQ(names.size(), c.leftBeside + (*c.listText != '\0' ? 1 : 0));
    if (*c.listText != '\0') {
        EXPECT_EQ(readBytes(path), c.listText);
    }
    // Whatever stays beside is the old text or the new, and the message names it.
    for (const std::string& name : names) {
        if (name != "list.txt") {
            EXPECT_NE(error.find(dir / name), std::string::npos) << name << ": " << error;
            const std::string kept = readBytes(dir / name);
            EXPECT_TRUE(kept == "old" || kept == "new") << kept;
        }
    }
    zentory::test::recordSurvival("Windows: ReplaceFileW fails halfway", c.name,
                                  error.empty() ? "saved; nothing left beside" : error);
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowsHostileReplace,
    testing::Values(ReplaceCase{"HeldReplaced1175", ERROR_UNABLE_TO_REMOVE_REPLACED, 0, "old",
                                "another program has the file open", 0},
                    ReplaceCase{"NewNotRenamed1176MovedInByTheWriter",
                                ERROR_UNABLE_TO_MOVE_REPLACEMENT, 0, "new", "", 0},
                    ReplaceCase{"NewNotRenamed1176OldPutBack", ERROR_UNABLE_TO_MOVE_REPLACEMENT, 1,
                                "old", "; the file was left as it was", 0},
                    ReplaceCase{"NewNotMoved1177OldPutBack", ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, 0,
                                "old", "; the file was left as it was", 0},
                    ReplaceCase{"NeitherTakesTheName1177BothKept",
                                ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, 2, "", "'", 2}),
    [](const testing::TestParamInfo<ReplaceCase>& info) { return std::string(info.param.name); });

// Each step of a write failing in turn: a new file, a replaced one and one
// rewritten in place (two names) keep their old text, and nothing stays beside.
// The new text is the longer, so that the rewrite in place holds all the old
// bytes aside.
struct StepCase {
    const char* name;
    Step step;
    const char* target; // "new", "replaced" or "in place"
};

void PrintTo(const StepCase& c, std::ostream* out) {
    *out << c.name;
}

class WindowsWriterSteps : public WindowsWriter, public testing::WithParamInterface<StepCase> {};

TEST_P(WindowsWriterSteps, FailLeavingTheOldTextAndNothingBeside) {
    const StepCase& c = GetParam();
    const std::string path = dir / "list.txt";
    const std::string target = c.target;
    std::vector<std::string> before;
    if (target != "new") {
        writeBytes(path, "the old text");
        before.push_back("list.txt");
    }
    if (target == "in place") {
        ASSERT_TRUE(
            CreateHardLinkW(pathOf(dir / "other.txt").c_str(), pathOf(path).c_str(), nullptr));
        before.push_back("other.txt");
    }
    // Once: the recovery's own steps go through, as on a disk that failed once.
    platform::failStep(c.step, ENOSPC);
    const std::string error = save(path, "a new text, longer than the old one", true);
    platform::clearStepFailures();
    // A new file that cannot be made names its folder.
    const std::string named = c.step == Step::Create ? dir.path() : path;
    EXPECT_NE(error.find("'" + named + "'"), std::string::npos) << error;
    EXPECT_EQ(namesIn(dir.path()), before);
    if (target != "new") {
        EXPECT_EQ(readBytes(path), "the old text");
    }
}

INSTANTIATE_TEST_SUITE_P(Table, WindowsWriterSteps,
                         testing::Values(StepCase{"NewWrite", Step::Write, "new"},
                                         StepCase{"NewFlush", Step::Flush, "new"},
                                         StepCase{"NewRename", Step::Rename, "new"},
                                         StepCase{"NewCreate", Step::Create, "new"},
                                         StepCase{"ReplacedWrite", Step::Write, "replaced"},
                                         StepCase{"ReplacedFlush", Step::Flush, "replaced"},
                                         StepCase{"InPlaceWrite", Step::Write, "in place"},
                                         StepCase{"InPlaceTruncate", Step::Truncate, "in place"},
                                         StepCase{"InPlaceFlush", Step::Flush, "in place"}),
                         [](const testing::TestParamInfo<StepCase>& info) {
                             return std::string(info.param.name);
                         });

// A rewrite in place whose every write fails, its old bytes included: the
// file never shows a length its bytes have not reached (no zeros after the
// old text, as a program killed there would leave).
TEST_F(WindowsWriter, ARewriteInPlaceNeverGrowsTheFileBeforeItsBytesAreThere) {
    const std::string path = dir / "list.txt";
    writeBytes(path, "old");
    ASSERT_TRUE(CreateHardLinkW(pathOf(dir / "other.txt").c_str(), pathOf(path).c_str(), nullptr));
    platform::failStepAlways(Step::Write, EIO);
    const std::string error = save(path, std::string(5000, 'n'));
    platform::clearStepFailures();
    EXPECT_TRUE(error.ends_with("its old text could not be put back")) << error;
    EXPECT_EQ(readBytes(path), "old");
}

// A name near the system's limit of 255 characters is made and replaced: the
// names the writer uses beside it are short ones of its own.
TEST_F(WindowsWriter, ANameNearTheLengthLimitIsMadeAndReplaced) {
    const std::string name = std::string(246, 'n') + ".txt";
    const std::string path = dir / name;
    EXPECT_EQ(save(path, "first"), "");
    EXPECT_EQ(save(path, "second"), "");
    EXPECT_EQ(readBytes(path), "second");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{name});
}

// A folder that refuses new files (the seam stands for its access list: Wine
// refuses root nothing) but lets the file itself be written.
TEST_F(WindowsWriter, AFolderRefusingNewFilesHasItsWritableFileRewrittenInPlace) {
    const std::string path = dir / "list.txt";
    writeBytes(path, "the old text");
    const unsigned long long before = fileIndex(path);
    platform::failStepAlways(Step::Create, EACCES);
    EXPECT_EQ(save(path, "new"), "");
    EXPECT_EQ(readBytes(path), "new");
    EXPECT_EQ(fileIndex(path), before);
    EXPECT_EQ(save(dir / "missing.txt", "new"),
              "cannot create a file in '" + dir.path() +
                  "': " + platform::windowsErrorText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"list.txt"});
}

// A program killed between its first byte and the commit: the system deletes
// the replacement with the program's last handle.
TEST_F(WindowsWriter, HostileKillBeforeTheCommitLeavesNoTemporaryFile) {
    for (const bool existing : {false, true}) {
        SCOPED_TRACE(existing ? "replacing a file" : "a new file");
        const std::string path = dir / "list.txt";
        if (existing) {
            writeBytes(path, "old");
        }
        const Finished r = runProgram(killedWriterPath(), {path});
        EXPECT_EQ(r.status, 9u) << r.err;
        EXPECT_EQ(namesIn(dir.path()),
                  existing ? std::vector<std::string>{"list.txt"} : std::vector<std::string>{});
        if (existing) {
            EXPECT_EQ(readBytes(path), "old");
        }
    }
    zentory::test::recordSurvival("Windows: the program killed while it writes",
                                  "before the commit", "old file as it was; no temporary file");
}

// Targets that are no file at all: the devices every folder holds, and a
// folder. Look-alikes are ordinary files.
struct TargetCase {
    const char* name;
    const char* file;
    const char* reason; // "" when it is saved as a file
};

void PrintTo(const TargetCase& c, std::ostream* out) {
    *out << c.file;
}

class WindowsHostileTargets : public WindowsWriter,
                              public testing::WithParamInterface<TargetCase> {};

TEST_P(WindowsHostileTargets, AreRefusedWithTheirReasonOrSavedAsFiles) {
    const TargetCase& c = GetParam();
    const std::string path = *c.file == '\0' ? dir.path() : dir / c.file;
    std::string error;
    if (*c.reason != '\0') {
        // Only opened: were the device taken, nothing would be sent to it.
        try {
            platform::SafeFile file(path);
        } catch (const platform::FileError& e) {
            error = e.what();
        }
        EXPECT_EQ(error, "cannot open '" + path + "': " + c.reason);
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{});
    } else {
        error = save(path, "x");
        EXPECT_EQ(error, "");
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{c.file});
    }
    zentory::test::recordSurvival(
        "Windows: a save target that is no file", *c.file == '\0' ? "a folder" : c.file,
        error.empty() ? "saved as a file" : error.substr(error.find("': ") + 3));
}

INSTANTIATE_TEST_SUITE_P(
    Table, WindowsHostileTargets,
    testing::Values(TargetCase{"Aux", "aux.txt", "the name is reserved for a device"},
                    TargetCase{"Prn", "PRN", "the name is reserved for a device"},
                    TargetCase{"Com1", "COM1.txt", "the name is reserved for a device"},
                    TargetCase{"Lpt9", "lpt9.list.log", "the name is reserved for a device"},
                    TargetCase{"SpacesAndDots", "Aux .txt. ", "the name is reserved for a device"},
                    TargetCase{"Superscript", "com\xc2\xb9.txt",
                               "the name is reserved for a device"},
                    TargetCase{"Folder", "", "Is a directory"}, TargetCase{"Com0", "com0.txt", ""},
                    TargetCase{"Com10", "com10.txt", ""},
                    TargetCase{"Auxiliary", "auxiliary.txt", ""}, TargetCase{"Lpt", "lpt.txt", ""}),
    [](const testing::TestParamInfo<TargetCase>& info) { return std::string(info.param.name); });
