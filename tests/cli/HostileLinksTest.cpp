// Another user's names in a shared sticky folder (like /tmp) aimed at by a
// root export: a link to root's own file, a dangling link, a regular file, a
// FIFO. Whatever the kernel's protections of such folders are set to, the
// export never writes where `sh -c 'echo x > NAME'` run by the same user is
// refused; with them on (Debian's default) it exits 1 and changes nothing.

#include "CliSupport.h"
#include "SurvivalLog.h"

#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace zentory::test;

namespace {

constexpr uid_t kNobody = 65534;
const char* const kProtections[] = {"/proc/sys/fs/protected_symlinks",
                                    "/proc/sys/fs/protected_regular",
                                    "/proc/sys/fs/protected_fifos"};

// Sets the kernel's protections for the test and puts them back after it.
class Protections {
public:
    Protections() {
        for (const char* path : kProtections) {
            m_saved.push_back(readBytes(path));
        }
    }
    ~Protections() {
        for (size_t i = 0; i < m_saved.size(); ++i) {
            writeBytes(kProtections[i], m_saved[i]);
        }
    }
    // False where the kernel does not take the value (not root, no such setting).
    bool set(const std::string& value) const {
        bool all = true;
        for (const char* path : kProtections) {
            writeBytes(path, value + "\n");
            all = readBytes(path) == value + "\n" && all;
        }
        return all;
    }

private:
    std::vector<std::string> m_saved;
};

enum class Planted { LinkToRootsFile, DanglingLink, RegularFile, Fifo };

struct Case {
    const char* what;
    Planted planted;
};

const Case kCases[] = {
    {"another user's link to a file of root's", Planted::LinkToRootsFile},
    {"another user's dangling link", Planted::DanglingLink},
    {"another user's 0666 file", Planted::RegularFile},
    {"another user's FIFO", Planted::Fifo},
};

class HostileLinks : public ::testing::Test {
protected:
    void SetUp() override {
        if (!runningAsRoot()) {
            GTEST_SKIP() << "needs root, and the right to set the kernel's protections";
        }
        openUpForEveryone(dir.path());
        writeBytes(tree / "a.txt", "x");
        openUpForEveryone(tree.path());
    }

    // A fresh sticky folder with `planted` in it as shared/list.txt, owned by nobody.
    void plant(Planted planted) {
        fs::remove_all(dir / "shared");
        fs::remove_all(dir / "private");
        fs::create_directory(dir / "shared");
        fs::permissions(dir / "shared", fs::perms(01777), fs::perm_options::replace);
        fs::create_directory(dir / "private");
        writeBytes(secret, "root's secret");
        fs::permissions(secret, fs::perms(0600), fs::perm_options::replace);
        switch (planted) {
        case Planted::LinkToRootsFile:
            fs::create_symlink(secret, target);
            break;
        case Planted::DanglingLink:
            fs::create_symlink(dir / "private/made.txt", target);
            break;
        case Planted::RegularFile:
            writeBytes(target, "nobody's file");
            fs::permissions(target, fs::perms(0666), fs::perm_options::replace);
            break;
        case Planted::Fifo:
            ASSERT_EQ(::mkfifo(target.c_str(), 0666), 0);
            break;
        }
        ASSERT_EQ(::lchown(target.c_str(), kNobody, kNobody), 0);
    }

    // Everything the planted name could lead to, as it stands.
    std::string state() const {
        std::string s =
            readBytes(secret) + "|" + std::to_string(fs::exists(dir / "private/made.txt"));
        if (fs::is_regular_file(fs::symlink_status(target))) {
            s += "|" + readBytes(target) + "|" + std::to_string(identityOf(target).owner);
        }
        return s;
    }

    bool shellRefused(Planted planted) {
        plant(planted);
        const Observed o = runProcess({"sh", "-c", "echo x > shared/list.txt"}, dir.path(), 2);
        return o.status != 0;
    }

    TempDir dir;
    TempDir tree;
    const std::string secret = dir / "private/secret";
    const std::string target = dir / "shared/list.txt";
    const Protections protections;
};

} // namespace

TEST_F(HostileLinks, ExportIsRefusedWhereTheShellIsRefused) {
    std::string refusedWithProtections;
    for (const std::string value : {"0", "1"}) {
        if (!protections.set(value)) {
            GTEST_SKIP() << "the kernel's protections cannot be set here";
        }
        for (const Case& c : kCases) {
            SCOPED_TRACE(c.what + (" with protections " + value));
            const bool refused = shellRefused(c.planted);
            plant(c.planted);
            const std::string before = state();
            const Observed o =
                runProcess({kCliPath, "-d", "-o", "shared/list.txt", tree.path()}, dir.path(), 10);
            if (value == "1") {
                EXPECT_TRUE(refused) << "the shell wrote through it";
                EXPECT_EQ(o.status, 1);
                EXPECT_EQ(o.err.rfind("zentory-cli: cannot open 'shared/list.txt': ", 0), 0u)
                    << o.err;
                refusedWithProtections += refusedWithProtections.empty() ? "" : ", ";
                refusedWithProtections += c.what;
            }
            if (refused) {
                EXPECT_NE(o.status, 0);
                EXPECT_EQ(state(), before);
            }
            EXPECT_EQ(fs::symlink_status(target).type() == fs::file_type::symlink,
                      c.planted == Planted::LinkToRootsFile || c.planted == Planted::DanglingLink);
        }
    }
    recordSurvival("export target",
                   "root's export to shared/list.txt in a sticky folder, the name planted by "
                   "nobody: " +
                       refusedWithProtections,
                   "with fs.protected_symlinks/regular/fifos on: exit 1, \"cannot open\", nothing "
                   "changed (was: root's file replaced, exit 0); with them off: refused wherever "
                   "the shell's '>' is refused");
}

// A link of the writer's own to a file in another user's folder: the folder
// is not the writer's to rename in, so the file is rewritten where it is.
TEST_F(HostileLinks, OwnLinkIntoAnotherUsersFolderRewritesTheFileInPlace) {
    fs::create_directory(dir / "theirs");
    ASSERT_EQ(::chown((dir / "theirs").c_str(), kNobody, kNobody), 0);
    writeBytes(dir / "theirs/list.txt", "old");
    fs::permissions(dir / "theirs/list.txt", fs::perms(0666), fs::perm_options::replace);
    ASSERT_EQ(::chown((dir / "theirs/list.txt").c_str(), kNobody, kNobody), 0);
    fs::create_symlink(dir / "theirs/list.txt", dir / "mine.txt");
    const FileIdentity before = identityOf(dir / "theirs/list.txt");
    const Observed o = runProcess({kCliPath, "-d", "-o", "mine.txt", tree.path()}, dir.path(), 10);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(identityOf(dir / "theirs/list.txt"), before);
    EXPECT_EQ(readBytes(dir / "theirs/list.txt"),
              "Contents of " + tree.path() + "/...\r\n\r\na.txt\r\n");
    EXPECT_EQ(namesIn(dir / "theirs"), std::vector<std::string>{"list.txt"});
}
