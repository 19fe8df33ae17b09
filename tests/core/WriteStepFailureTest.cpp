// Every step of a write made to fail in turn, at each of its runs: whatever
// fails, the target afterwards holds its whole old text byte for byte (or,
// where the new text had already taken the name, the whole new text, and the
// message says so). Where the old text cannot be put back, the message says
// that and names a copy of it. Only the standard library and SafeFile here,
// so that the same table runs on Linux and, under Wine, on Windows; where the
// two writers take different steps, the rows say how often on each.

#include "platform/FileError.h"
#include "platform/StepFailure.h"
#include "platform/write/SafeFile.h"

#include "BothSystems.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <optional>

namespace fs = std::filesystem;
using zentory::platform::clearStepFailures;
using zentory::platform::failStep;
using zentory::platform::failStepAlways;
using zentory::platform::FileError;
using zentory::platform::SafeFile;
using zentory::platform::Step;
using zentory::platform::stepArmed;
using namespace zentory::test;

namespace {

// What the write goes to.
enum class Target {
    New,            // nothing at the name
    Replaced,       // a file of one name: replaced by a new one
    InPlaceLonger,  // a file with two names, its old text longer than the new one
    InPlaceShorter, // the same, its old text shorter
    Spilled,        // the same, both texts over 8 MiB: held aside on disk
};

const char* nameOf(Target t) {
    switch (t) {
    case Target::New:
        return "new file";
    case Target::Replaced:
        return "replaced file";
    case Target::InPlaceLonger:
        return "in place, old text longer";
    case Target::InPlaceShorter:
        return "in place, old text shorter";
    case Target::Spilled:
        return "in place, spilled";
    }
    return "";
}

const char* nameOf(Step s) {
    switch (s) {
    case Step::Write:
        return "Write";
    case Step::Flush:
        return "Flush";
    case Step::Truncate:
        return "Truncate";
    case Step::Rename:
        return "Rename";
    case Step::KeepOld:
        return "KeepOld";
    case Step::Restore:
        return "Restore";
    case Step::Spill:
        return "Spill";
    case Step::Replace:
        return "Replace";
    case Step::Create:
        return "Create";
    default:
        return "?";
    }
}

constexpr size_t kMiB = size_t{1} << 20;

struct Texts {
    std::optional<std::string> old; // none for a new file
    std::string next;
    bool twoNames = false;
};

Texts textsFor(Target t) {
    switch (t) {
    case Target::New:
        return {std::nullopt, pattern(kMiB + 7, 'N')};
    case Target::Replaced:
        return {pattern(2 * kMiB, 'a'), pattern(kMiB + 7, 'N')};
    case Target::InPlaceLonger:
        return {pattern(3 * kMiB + 5, 'a'), pattern(kMiB + 7, 'N'), true};
    case Target::InPlaceShorter:
        return {pattern(kMiB / 2, 'a'), pattern(2 * kMiB + 7, 'N'), true};
    case Target::Spilled:
        return {pattern(10 * kMiB + 3, 'a'), pattern(9 * kMiB + 7, 'N'), true};
    }
    return {};
}

// What one attempt left.
struct Attempt {
    bool threw = false;
    std::string message;
    bool fired = false; // the armed failure happened
};

// "3 MiB, the last 2097152 bytes zero" for a text that is not what it should be.
std::string describe(const std::string& bytes) {
    const size_t kept = bytes.find_last_not_of('\0');
    const size_t zeros = kept == std::string::npos ? bytes.size() : bytes.size() - kept - 1;
    return std::to_string(bytes.size()) + " bytes, the last " + std::to_string(zeros) + " zero";
}

class WriteStepFailure : public ::testing::Test {
protected:
    WriteStepFailure() {
        fs::create_directory(dir / "tmp");
        tmpdir.set((dir / "tmp").c_str());
    }
    void TearDown() override { clearStepFailures(); }

    void prepare(const Texts& texts) {
        fs::remove_all(dir / "at");
        fs::create_directory(dir / "at");
        if (texts.old) {
            writeBytes(path, *texts.old);
            if (texts.twoNames) {
                fs::create_hard_link(path, dir / "at/other-name.txt");
            }
        }
    }

    Attempt attempt(const Texts& texts, Step step) {
        Attempt a;
        try {
            SafeFile file(path, /*durable=*/true);
            for (size_t at = 0; at < texts.next.size(); at += kMiB) {
                file.write(std::string_view(texts.next).substr(at, kMiB));
            }
            file.commit();
        } catch (const FileError& e) {
            a.threw = true;
            a.message = e.what();
        }
        a.fired = !stepArmed(step);
        clearStepFailures();
        return a;
    }

    // The target holds `expected` (nothing for none), under each of its names.
    void expectText(const std::optional<std::string>& expected, const Texts& texts,
                    const std::string& what) {
        if (!expected) {
            EXPECT_FALSE(fs::exists(fs::symlink_status(path))) << what;
            EXPECT_EQ(namesIn(dir / "at"), std::vector<std::string>{}) << what;
            return;
        }
        const std::string now = readBytes(path);
        EXPECT_TRUE(now == *expected)
            << what << ": " << describe(now) << " instead of " << expected->size();
        std::vector<std::string> names = {"list.txt"};
        if (texts.twoNames) {
            EXPECT_TRUE(readBytes(dir / "at/other-name.txt") == *expected) << what;
            names.push_back("other-name.txt");
        }
        EXPECT_EQ(namesIn(dir / "at"), names) << what;
    }

    // Fails `step` at its first run, then its second, and so on until a write
    // runs it fewer times, checking what each failure leaves. Returns how often
    // the write went on to succeed after the failure, and counts the runs.
    int failEachRun(Target target, Step step, int error, bool restoreFails, int& runs,
                    int& copies) {
        const Texts texts = textsFor(target);
        int survived = 0;
        for (int nth = 1; nth < 300; ++nth) {
            prepare(texts);
            failStep(step, error, nth);
            if (restoreFails) {
                failStepAlways(Step::Restore, EIO);
            }
            const Attempt a = attempt(texts, step);
            if (!a.fired) {
                break;
            }
            runs = nth;
            const std::string what = std::string(nameOf(target)) + ", " + nameOf(step) +
                                     " failing at run " + std::to_string(nth) + ": " + a.message;
            const std::string lost = "its old text could not be put back, a copy of it is in '";
            if (!a.threw) {
                ++survived;
                expectText(texts.next, texts, what);
            } else if (a.message.ends_with("; the new text is in place")) {
                expectText(texts.next, texts, what);
            } else if (const size_t at = a.message.find(lost); at != std::string::npos) {
                EXPECT_TRUE(restoreFails) << what;
                const size_t from = at + lost.size();
                const std::string copy = a.message.substr(from, a.message.size() - from - 1);
                EXPECT_EQ(copy, path + ".old") << what;
                EXPECT_TRUE(readBytes(copy) == texts.old.value_or("")) << what;
                fs::remove(copy);
                ++copies;
            } else {
                EXPECT_EQ(a.message.find("could not"), std::string::npos) << what;
                expectText(texts.old, texts, what);
            }
        }
        return survived;
    }

    TempDir dir;
    const std::string path = dir / "at/list.txt";
    const EnvironmentVariable tmpdir{kTempFolderVariable};
};

// The Windows codes a failed ReplaceFileW gives (Step::Replace fails with
// the system's code): a plain failure; a replaced file another program holds;
// the old file moved to the backup name and the new one not renamed, or not
// moved at all.
constexpr int kReplaceFailed = 31;           // ERROR_GEN_FAILURE
constexpr int kReplacedHeldOpen = 1175;      // ERROR_UNABLE_TO_REMOVE_REPLACED
constexpr int kOldAsideNewNotRenamed = 1176; // ERROR_UNABLE_TO_MOVE_REPLACEMENT
constexpr int kOldAsideNewNotMoved = 1177;   // ERROR_UNABLE_TO_MOVE_REPLACEMENT_2

struct Row {
    Target target;
    Step step;
    int error;
    PerSystem leastRuns; // how often the step runs in a whole write, at least; 0: never there
    bool survives;       // a failure of the step can be got round
};

// clang-format off
const Row kSteps[] = {
    {Target::New,            Step::Write,    EIO,    {2, 2}, false},
    {Target::New,            Step::Flush,    EIO,    {2, 1}, false}, // the file, then its folder (Linux)
    {Target::New,            Step::Rename,   EIO,    {1, 1}, false},
    {Target::Replaced,       Step::Write,    ENOSPC, {2, 2}, false},
    {Target::Replaced,       Step::Flush,    EIO,    {2, 1}, false},
    {Target::Replaced,       Step::Rename,   EIO,    {2, 0}, false}, // a name aside, then the rename
    {Target::Replaced,       Step::Rename,   EBUSY,  {2, 0}, true},  // a file mounted over the name
    {Target::Replaced,       Step::Rename,   EXDEV,  {2, 0}, true},
    // Windows replaces through ReplaceFileW with a backup name; its codes here.
    {Target::Replaced,       Step::Replace,  kReplaceFailed,         {0, 1}, false},
    {Target::Replaced,       Step::Replace,  kReplacedHeldOpen,      {0, 1}, false},
    {Target::Replaced,       Step::Replace,  kOldAsideNewNotRenamed, {0, 1}, true},
    {Target::Replaced,       Step::Replace,  kOldAsideNewNotMoved,   {0, 1}, false},
    // Windows makes the new file with a step of its own; a folder that refuses
    // it has a file there rewritten in place.
    {Target::New,            Step::Create,   EIO,    {0, 1}, false},
    {Target::Replaced,       Step::Create,   EIO,    {0, 1}, false},
    {Target::Replaced,       Step::Create,   EACCES, {0, 1}, true},
    {Target::InPlaceLonger,  Step::Truncate, EIO,    {2, 2}, false}, // room, then the cut
    {Target::InPlaceLonger,  Step::KeepOld,  EIO,    {1, 1}, false},
    {Target::InPlaceLonger,  Step::Write,    EIO,    {1, 1}, false},
    {Target::InPlaceLonger,  Step::Flush,    EIO,    {2, 2}, false}, // before and after the cut
    {Target::InPlaceShorter, Step::Truncate, EIO,    {1, 1}, false},
    {Target::InPlaceShorter, Step::KeepOld,  ENOSPC, {1, 1}, false},
    {Target::InPlaceShorter, Step::Write,    EIO,    {1, 1}, false},
    {Target::InPlaceShorter, Step::Flush,    EIO,    {1, 1}, false},
    {Target::Spilled,        Step::Spill,    ENOSPC, {2, 2}, true},  // the next place takes it
    {Target::Spilled,        Step::Spill,    EIO,    {2, 2}, true},
    {Target::Spilled,        Step::Write,    ENOSPC, {4, 4}, true},
    {Target::Spilled,        Step::Write,    EIO,    {4, 4}, false},
    {Target::Spilled,        Step::Truncate, EIO,    {2, 2}, false},
    {Target::Spilled,        Step::KeepOld,  EIO,    {1, 1}, false},
    {Target::Spilled,        Step::Flush,    EIO,    {2, 2}, false},
};
// clang-format on

// The old text kept aside cannot go back either: a copy of it is named.
// clang-format off
const Row kLost[] = {
    {Target::InPlaceLonger,  Step::Write,    EIO, {1, 1}, false},
    {Target::InPlaceLonger,  Step::Flush,    EIO, {2, 2}, false},
    {Target::InPlaceLonger,  Step::Truncate, EIO, {2, 2}, false},
    {Target::InPlaceShorter, Step::Flush,    EIO, {1, 1}, false},
    {Target::Spilled,        Step::Flush,    EIO, {2, 2}, false},
};
// clang-format on

} // namespace

TEST_F(WriteStepFailure, AnyFailedStepLeavesTheWholeOldTextOrTheWholeNewOne) {
    for (const Row& row : kSteps) {
        SCOPED_TRACE(std::string(nameOf(row.target)) + ", " + nameOf(row.step));
        int runs = 0, copies = 0;
        const int survived = failEachRun(row.target, row.step, row.error, false, runs, copies);
        if (row.leastRuns.here() == 0) {
            EXPECT_EQ(runs, 0) << "a step this system's write never takes";
            continue;
        }
        EXPECT_GE(runs, row.leastRuns.here());
        EXPECT_EQ(survived > 0, row.survives) << survived << " of " << runs << " survived";
        EXPECT_EQ(copies, 0);
    }
}

TEST_F(WriteStepFailure, OldTextThatCannotBePutBackIsNamedInACopy) {
    for (const Row& row : kLost) {
        SCOPED_TRACE(std::string(nameOf(row.target)) + ", " + nameOf(row.step));
        int runs = 0, copies = 0;
        failEachRun(row.target, row.step, row.error, true, runs, copies);
        if (row.leastRuns.here() == 0) {
            EXPECT_EQ(runs, 0) << "a step this system's write never takes";
            continue;
        }
        EXPECT_GE(runs, row.leastRuns.here());
        EXPECT_GE(copies, 1);
    }
}
