// Export targets that a temporary file renamed into place would harm: a
// writable file in a read-only folder, another user's file in a sticky folder,
// a group's shared file, a file with two names, a name of 255 bytes, and
// /dev/stdout appended to a file, inside a { } group and into a pipe. Each
// gets the new list in the very file that was named (same inode, links,
// owner, group and mode) with nothing left beside it.

#include "CliSupport.h"
#include "SurvivalLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include <sys/stat.h>

namespace fs = std::filesystem;
using namespace zentory::test;

namespace {

class HostileTarget : public ::testing::Test {
protected:
    HostileTarget() {
        openUpForEveryone(dir.path());
        writeBytes(tree / "a.txt", "x");
        openUpForEveryone(tree.path());
    }

    // The list the CLI writes for `tree`, without the dated footer.
    std::string list() const { return "Contents of " + tree.path() + "/...\r\n\r\na.txt\r\n"; }

    // Exports to `target` with `prefix` before the CLI (such as setpriv) and
    // checks that it succeeded with nothing on either output.
    void exportTo(const std::string& target, std::vector<std::string> prefix = {}) {
        prefix.insert(prefix.end(), {kCliPath, "-d", "-o", target, tree.path()});
        const Observed o = runProcess(prefix, dir.path(), 10);
        EXPECT_EQ(o.status, 0) << o.err;
        EXPECT_EQ(o.err, "");
        EXPECT_EQ(o.out, "");
    }

    void record(const std::string& hostileCase, const std::string& outcome) {
        recordSurvival("export target", hostileCase, outcome);
    }

    TempDir dir;  // where the outputs go; the CLI runs here
    TempDir tree; // what it lists
};

} // namespace

TEST_F(HostileTarget, WritableFileInAReadOnlyFolderIsRewrittenWhereItIs) {
    writeBytes(dir / "locked/list.txt", "an earlier export, longer than the new list");
    fs::permissions(dir / "locked/list.txt", fs::perms(0666), fs::perm_options::replace);
    fs::permissions(dir / "locked", fs::perms(0555), fs::perm_options::replace);
    const FileIdentity before = identityOf(dir / "locked/list.txt");
    exportTo("locked/list.txt", asNobody({}));
    EXPECT_EQ(readBytes(dir / "locked/list.txt"), list());
    EXPECT_EQ(identityOf(dir / "locked/list.txt"), before);
    EXPECT_EQ(namesIn(dir / "locked"), std::vector<std::string>{"list.txt"});
    record("a writable file in a read-only folder (run as nobody)",
           "exit 0; the new list in the same file (inode, owner, mode), cut to its length, "
           "nothing beside it");
}

TEST_F(HostileTarget, AnotherUsersFileInAStickyFolderKeepsItsOwner) {
    if (!runningAsRoot()) {
        GTEST_SKIP() << "needs root to write as a user other than the file's owner";
    }
    fs::create_directory(dir / "shared");
    fs::permissions(dir / "shared", fs::perms(01777), fs::perm_options::replace);
    writeBytes(dir / "shared/list.txt", "old");
    fs::permissions(dir / "shared/list.txt", fs::perms(0666), fs::perm_options::replace);
    const FileIdentity before = identityOf(dir / "shared/list.txt");
    exportTo("shared/list.txt", asNobody({}));
    EXPECT_EQ(readBytes(dir / "shared/list.txt"), list());
    EXPECT_EQ(identityOf(dir / "shared/list.txt"), before);
    EXPECT_EQ(namesIn(dir / "shared"), std::vector<std::string>{"list.txt"});
    record("another user's 0666 file in a sticky folder like /tmp (run as nobody)",
           "exit 0; the new list, still the other user's file, nothing beside it");
}

TEST_F(HostileTarget, GroupMemberKeepsOwnerGroupAndMode) {
    if (!runningAsRoot()) {
        GTEST_SKIP() << "needs root to give a file to a group";
    }
    constexpr gid_t kGroup = 4242;
    writeBytes(dir / "list.txt", "old");
    ASSERT_EQ(::chown((dir / "list.txt").c_str(), 0, kGroup), 0);
    fs::permissions(dir / "list.txt", fs::perms(0664), fs::perm_options::replace);
    const FileIdentity before = identityOf(dir / "list.txt");
    // The folder lets the member rename; only the file's owner and group forbid it.
    exportTo("list.txt",
             {"setpriv", "--reuid=65534", "--regid=65534", "--groups=" + std::to_string(kGroup)});
    EXPECT_EQ(readBytes(dir / "list.txt"), list());
    EXPECT_EQ(identityOf(dir / "list.txt"), before);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"list.txt"});
    record("a group's 0664 file written by a member of the group (nobody in group 4242)",
           "exit 0; the new list, owner root, group 4242 and mode 0664 kept");
}

TEST_F(HostileTarget, FileWithTwoNamesShowsTheNewListUnderBoth) {
    writeBytes(dir / "list.txt", "old");
    fs::create_hard_link(dir / "list.txt", dir / "copy.txt");
    exportTo("list.txt");
    EXPECT_EQ(readBytes(dir / "list.txt"), list());
    EXPECT_EQ(readBytes(dir / "copy.txt"), list());
    EXPECT_EQ(identityOf(dir / "list.txt"), identityOf(dir / "copy.txt"));
    EXPECT_EQ(identityOf(dir / "list.txt").links, 2u);
    record("a file with two hard links", "exit 0; both names show the new list, still one file");
}

TEST_F(HostileTarget, NameOf255BytesIsCreatedAndReplaced) {
    const std::string name = std::string(251, 'n') + ".txt";
    exportTo(name);
    EXPECT_EQ(readBytes(dir / name), list());
    writeBytes(dir / name, "old");
    exportTo(name);
    EXPECT_EQ(readBytes(dir / name), list());
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{name});
    record("a file name of 255 bytes", "exit 0, made and then replaced; nothing beside it");
}

TEST_F(HostileTarget, DevStdoutIsWrittenThroughAsTheShellOpenedIt) {
    const auto sh = [&](const std::string& script) {
        const Observed o =
            runProcess({"bash", "-c", script, kCliPath, tree.path()}, dir.path(), 10);
        EXPECT_EQ(o.status, 0) << script << "\n" << o.err;
        EXPECT_EQ(o.err, "") << script;
        return o;
    };
    writeBytes(dir / "log.txt", "earlier lines\n");
    sh("\"$0\" -d -o /dev/stdout \"$1\" >> log.txt");
    EXPECT_EQ(readBytes(dir / "log.txt"), "earlier lines\n" + list());

    sh("{ echo header; \"$0\" -d -o /dev/stdout \"$1\"; echo trailer; } > group.txt");
    EXPECT_EQ(readBytes(dir / "group.txt"), "header\n" + list() + "trailer\n");

    const Observed piped = sh("\"$0\" -d -o /dev/stdout \"$1\" | cat");
    EXPECT_EQ(piped.out, list());

    sh("\"$0\" -d -o /dev/fd/3 \"$1\" 3>> log.txt; \"$0\" -d -o >(cat > sub.txt) \"$1\"; wait");
    EXPECT_EQ(readBytes(dir / "log.txt"), "earlier lines\n" + list() + list());
    EXPECT_EQ(readBytes(dir / "sub.txt"), list());
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"group.txt", "log.txt", "sub.txt"}));
    record("-o /dev/stdout appended to a file, in a { } group, into a pipe; /dev/fd/3 3>>file; "
           "-o >(cmd)",
           "exit 0 each; the list added after the earlier lines, between header and trailer, "
           "into the pipe; no temporary file");
}
