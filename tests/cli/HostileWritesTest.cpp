// Writes that cannot succeed: zentory-cli aimed at a full device, a read-only
// folder, a read-only file, a folder's name, a missing folder, a FIFO without a
// reader, a link to a device and a full disk. Each must fail with status 1 and
// one line on standard error, leave no temporary file, and leave the earlier
// content (and every device) as it was.

#include "CliSupport.h"
#include "FullFileSystem.h"
#include "RamDir.h"
#include "SurvivalLog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zentory::test;

namespace {

// The names in `folder` with the bytes of each file ("<folder>", "<link>",
// "<other>" for the rest): a leftover temporary file or a changed byte shows.
std::map<std::string, std::string> snapshot(const std::string& folder) {
    std::map<std::string, std::string> entries;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (e.is_symlink()) {
            entries[name] = "<link " + fs::read_symlink(e.path()).string() + ">";
        } else if (e.is_directory()) {
            entries[name] = "<folder>";
        } else if (e.is_regular_file()) {
            entries[name] = readBytes(e.path().string());
        } else {
            entries[name] = "<other>";
        }
    }
    return entries;
}

// Names in /dev that a write to a device could have left: its temporary files.
std::vector<std::string> temporaryFilesInDev() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator("/dev")) {
        const std::string name = e.path().filename().string();
        if (name.ends_with(".tmp")) {
            names.push_back(name);
        }
    }
    return names;
}

class HostileWrite : public ::testing::Test {
protected:
    HostileWrite() {
        openUpForEveryone(dir.path());
        writeBytes(tree / "a.txt", "x");
        openUpForEveryone(tree.path());
    }

    // Runs the CLI with `-o output` in `dir` and checks what every failed
    // write must give: status 1, nothing on standard output, the single line
    // `message` on standard error, and `dir` exactly as it was.
    Observed failWrite(const std::string& output, const std::string& message, bool nobody) {
        const auto before = snapshot(dir.path());
        std::vector<std::string> args = {kCliPath, "-r", "-o", output, tree.path()};
        const Observed o = runProcess(nobody ? asNobody(args) : args, dir.path(), 10);
        EXPECT_FALSE(o.timedOut);
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.out, "");
        EXPECT_EQ(o.err, "zentory-cli: " + message + "\n");
        EXPECT_EQ(snapshot(dir.path()), before);
        return o;
    }

    void record(const std::string& hostileCase, const Observed& o, const std::string& more) {
        recordSurvival("export target", hostileCase,
                       "exit " + std::to_string(o.status) + ", \"" +
                           replaced(firstLine(o.err), dir.path(), "DIR") + "\"; " + more);
    }

    TempDir dir;  // where the outputs go; the CLI runs here
    TempDir tree; // what it lists
};

} // namespace

TEST_F(HostileWrite, FullDeviceIsReportedAndStaysADevice) {
    ASSERT_TRUE(isCharDevice("/dev/full"));
    const Observed o =
        failWrite("/dev/full", "cannot write to '/dev/full': No space left on device", false);
    EXPECT_TRUE(isCharDevice("/dev/full"));
    EXPECT_EQ(temporaryFilesInDev(), std::vector<std::string>{});
    record("/dev/full (run as root)", o, "/dev/full still a character device, no file beside it");
}

TEST_F(HostileWrite, LinkToTheFullDeviceStaysALinkToIt) {
    fs::create_symlink("/dev/full", dir / "list.txt");
    const Observed o =
        failWrite("list.txt", "cannot write to 'list.txt': No space left on device", false);
    EXPECT_TRUE(isCharDevice("/dev/full"));
    record("a link to /dev/full (run as root)", o, "the link and the device unchanged");
}

TEST_F(HostileWrite, ReadOnlyFolderTakesNoNewFile) {
    writeBytes(dir / "locked/list.txt", "earlier export");
    fs::permissions(dir / "locked/list.txt", fs::perms(0666), fs::perm_options::replace);
    fs::permissions(dir / "locked", fs::perms(0555), fs::perm_options::replace);
    const auto before = snapshot(dir / "locked");
    const Observed o =
        failWrite("locked/new.txt", "cannot create a file in 'locked': Permission denied", true);
    EXPECT_EQ(snapshot(dir / "locked"), before);
    record("a new file in a read-only folder (run as nobody)", o,
           "the folder named; nothing made, the earlier file unchanged");
}

TEST_F(HostileWrite, ReadOnlyFileIsNotReplaced) {
    writeBytes(dir / "list.txt", "earlier export");
    fs::permissions(dir / "list.txt", fs::perms(0444), fs::perm_options::replace);
    // The folder lets "nobody" create and rename: only the file's own bits protect it.
    const Observed o = failWrite("list.txt", "cannot open 'list.txt': Permission denied", true);
    EXPECT_EQ(readBytes(dir / "list.txt"), "earlier export");
    record("a read-only file in a writable folder (run as nobody)", o,
           "the file unchanged, no temporary file");
}

TEST_F(HostileWrite, FolderNameIsNotReplaced) {
    writeBytes(dir / "out/kept.txt", "kept");
    const Observed o = failWrite("out", "cannot open 'out': Is a directory", false);
    EXPECT_EQ(snapshot(dir / "out"), (std::map<std::string, std::string>{{"kept.txt", "kept"}}));
    record("the name of a folder", o, "the folder and its files unchanged");
}

TEST_F(HostileWrite, MissingFolderIsNotCreated) {
    const Observed o = failWrite(
        "no/such/list.txt", "cannot create a file in 'no/such': No such file or directory", false);
    record("a path whose folder is missing", o, "no folder made");
}

TEST_F(HostileWrite, FifoWithoutReaderFailsAtOnce) {
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0666), 0);
    const Observed o = failWrite("pipe", "cannot open 'pipe': No such device or address", false);
    struct stat st;
    EXPECT_TRUE(::lstat((dir / "pipe").c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
    record("a FIFO that nobody reads", o,
           "in " + secondsText(o.seconds) + ", no wait; the FIFO stays a FIFO");
}

TEST_F(HostileWrite, FullDiskKeepsTheEarlierFile) {
    const FullFileSystem small(dir / "small");
    if (!small.mounted()) {
        GTEST_SKIP() << "mounting a small file system is not allowed here";
    }
    writeBytes(dir / "small/list.txt", "earlier export");
    small.fill();
    const Observed o = failWrite(
        "small/list.txt", "cannot write to 'small/list.txt': No space left on device", false);
    EXPECT_EQ(snapshot(dir / "small").size(), 2u); // the file and the filler, nothing else
    EXPECT_EQ(readBytes(dir / "small/list.txt"), "earlier export");
    record("an existing file on a full disk (a 64 KiB file system)", o,
           "the earlier file unchanged, no temporary file");
}

// A list long enough that the text is composed on a thread of its own while
// the failing writes happen: the failure still ends the run at once.
TEST_F(HostileWrite, LongListToAFullDeviceOrDiskFailsWithoutHanging) {
    const RamDir big;
    for (int i = 0; i < 60000; ++i) {
        const int fd =
            ::open((big / ("file-" + std::to_string(i))).c_str(), O_CREAT | O_WRONLY, 0644);
        ::close(fd);
    }
    const auto expectFailure = [](const Observed& o, const std::string& message) {
        EXPECT_FALSE(o.timedOut);
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.err, "zentory-cli: " + message + "\n");
    };
    const Observed device = runProcess({kCliPath, "-f", "-o", "/dev/full", big.path()}, "/", 20);
    expectFailure(device, "cannot write to '/dev/full': No space left on device");
    EXPECT_TRUE(isCharDevice("/dev/full"));
    const Observed stdoutFull =
        runProcess({"sh", "-c", "exec \"$0\" -f \"$1\" >/dev/full", kCliPath, big.path()}, "/", 20);
    expectFailure(stdoutFull, "cannot write to 'standard output': No space left on device");

    const FullFileSystem small(dir / "small");
    std::string disk = "not tried: mounting is not allowed here";
    if (small.mounted()) {
        writeBytes(dir / "small/list.txt", "earlier export");
        small.fill();
        const Observed o =
            runProcess({kCliPath, "-f", "-o", "small/list.txt", big.path()}, dir.path(), 20);
        expectFailure(o, "cannot write to 'small/list.txt': No space left on device");
        EXPECT_EQ(readBytes(dir / "small/list.txt"), "earlier export");
        EXPECT_EQ(snapshot(dir / "small").size(), 2u);
        disk = "exit " + std::to_string(o.status) + " in " + secondsText(o.seconds) +
               ", the earlier file unchanged";
    }
    recordSurvival("export target",
                   "a list of 60,000 files to /dev/full, to a full standard "
                   "output and to a full disk",
                   "/dev/full: exit " + std::to_string(device.status) + " in " +
                       secondsText(device.seconds) + "; standard output: exit " +
                       std::to_string(stdoutFull.status) + " in " +
                       secondsText(stdoutFull.seconds) + "; full disk: " + disk);
}

// Too little memory for the list: a sentence instead of "std::bad_alloc", and
// the earlier file keeps its text. The same limit lets a small folder through.
TEST_F(HostileWrite, OutOfMemoryIsSaidInWordsAndKeepsTheEarlierFile) {
    if (builtWithSanitizers()) {
        GTEST_SKIP() << "the sanitizers reserve more address space than the limit allows";
    }
    const RamDir big;
    const std::string longName(240, 'n');
    for (int i = 0; i < 100000; ++i) {
        const int fd = ::open((big / numberedName(longName, i)).c_str(), O_CREAT | O_WRONLY, 0644);
        ::close(fd);
    }
    writeBytes(dir / "list.txt", "earlier export");
    const std::string limit = "--as=" + std::to_string(64 << 20);
    const Observed small =
        runProcess({"prlimit", limit, kCliPath, "-o", "small.txt", tree.path()}, dir.path(), 20);
    EXPECT_EQ(small.status, 0) << small.err;
    const Observed o = runProcess(
        {"prlimit", limit, kCliPath, "-r", "-f", "-o", "list.txt", big.path()}, dir.path(), 20);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "zentory-cli: not enough memory to list '" + big.path() + "'\n");
    EXPECT_EQ(readBytes(dir / "list.txt"), "earlier export");
    recordSurvival("export target",
                   "a list of 100,000 long names with 64 MiB of address space (prlimit --as)",
                   "exit " + std::to_string(o.status) +
                       ", \"not enough memory to list '...'\"; the earlier file unchanged (was: "
                       "\"std::bad_alloc\")");
}
