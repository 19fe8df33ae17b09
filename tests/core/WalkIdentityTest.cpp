// How the walk tells folders apart without asking each one: the identity a
// folder's read gives of its sub-folders, trusted only where it proves right,
// and the loops it must still catch (links and mounts back to a folder above).

#include "listing/WalkIdentity.h"
#include "listing/FolderScan.h"
#include "platform/Mounts.h"

#include "Files.h"
#include "Nobody.h"
#include "Process.h"
#include "SurvivalLog.h"
#include "TempDir.h"
#include "Trees.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <numeric>

#include <sched.h>
#include <sys/mount.h>

namespace fs = std::filesystem;
using namespace zentory;
using namespace zentory::test;
using platform::EntryIdentity;
using platform::FolderIdentity;
using platform::MountNames;
using Source = EntryIdentity::Source;

TEST(MountNames, TakesTheLastNameOfEachMountPointWithItsEscapes) {
    const std::string table = "22 1 8:1 / / rw - ext4 /dev/vda rw\n"
                              "30 22 0:26 / /proc rw - proc proc rw\n"
                              "31 22 0:27 / /srv/Music\\040Box rw - cifs //nas/m rw\n"
                              "32 22 0:28 / /mnt/back\\134slash rw - tmpfs tmpfs rw\n"
                              "33 22 0:29 / /mnt/a\\0119 rw - tmpfs tmpfs rw\n";
    const MountNames mounts = MountNames::fromMountInfo(table);
    struct Case {
        const char* name;
        bool mayBe;
    };
    const Case cases[] = {
        {"proc", true},           {"Music Box", true},
        {"back\\slash", true},    {"a\t9", true},
        {"Music\\040Box", false}, {"srv", false},
        {"Music", false},         {"", true}, // "/" itself
    };
    for (const Case& c : cases) {
        EXPECT_EQ(mounts.mayBeMountPoint(c.name), c.mayBe) << c.name;
    }
    EXPECT_TRUE(MountNames::everyName().mayBeMountPoint("anything"));
}

// The walk's side, on folders made by hand: which ones it must ask, and what
// it learns from the answers about the entries of each file system.
TEST(WalkIdentities, TrustsEntryNumbersOnlyOnAFileSystemWhereTheyProvedRight) {
    constexpr uint64_t kDisk = 7;
    struct Step {
        const char* what;
        const char* name;
        Source source;
        uint64_t entryInode; // or the whole identity's inode for a lookup
        bool known;          // fromEntry's answer
        FolderIdentity told; // the open folder's answer when it was asked
    };
    const auto agreeing = [](uint64_t inode) { return FolderIdentity{kDisk, inode}; };
    // Each scenario starts on a fresh walk whose chosen folder is on kDisk.
    const std::vector<std::vector<Step>> scenarios = {
        {{"asked while unproven", "a", Source::Entry, 11, false, agreeing(11)},
         {"", "b", Source::Entry, 12, false, agreeing(12)},
         {"", "c", Source::Entry, 13, false, agreeing(13)},
         {"", "d", Source::Entry, 14, false, agreeing(14)},
         {"trusted after four agree", "e", Source::Entry, 15, true, {}},
         {"a mount point's name is still asked", "mnt", Source::Entry, 16, false, {9, 2}},
         {"and does not spoil the trust", "f", Source::Entry, 17, true, {}},
         {"a looked-up link is known at once", "l", Source::Lookup, 40, true, {}},
         {"an entry that tells nothing is asked", "n", Source::None, 0, false, agreeing(50)}},
        {{"one disagreement", "a", Source::Entry, 11, false, agreeing(99)},
         {"", "b", Source::Entry, 12, false, agreeing(12)},
         {"", "c", Source::Entry, 13, false, agreeing(13)},
         {"", "d", Source::Entry, 14, false, agreeing(14)},
         {"", "e", Source::Entry, 15, false, agreeing(15)},
         {"leaves every folder asked", "f", Source::Entry, 16, false, agreeing(16)}},
        {{"a file system without a mount", "a", Source::Entry, 11, false, {8, 256}},
         {"", "b", Source::Entry, 12, false, agreeing(12)},
         {"", "c", Source::Entry, 13, false, agreeing(13)},
         {"", "d", Source::Entry, 14, false, agreeing(14)},
         {"leaves its parent's asked", "e", Source::Entry, 15, false, agreeing(15)}},
    };
    for (const auto& steps : scenarios) {
        walk::Identities ids(MountNames::fromMountInfo("1 0 8:1 / /mnt rw - ext4 x rw\n"));
        std::deque<walk::Folder> folders(1);
        ids.told(folders[0], FolderIdentity{kDisk, 2});
        for (const Step& s : steps) {
            walk::Folder& f = folders.emplace_back();
            f.parent = &folders[0];
            f.name = s.name;
            f.entry.source = s.source;
            f.entry.id = s.source == Source::Lookup ? FolderIdentity{3, s.entryInode}
                                                    : FolderIdentity{0, s.entryInode};
            const std::string what = std::string(s.what) + " (" + s.name + ")";
            ASSERT_EQ(ids.fromEntry(f), s.known) << what;
            if (s.known) {
                const FolderIdentity expected = s.source == Source::Lookup
                                                    ? FolderIdentity{3, s.entryInode}
                                                    : FolderIdentity{kDisk, s.entryInode};
                EXPECT_EQ(f.id, expected) << what;
            } else {
                ids.told(f, s.told);
                EXPECT_EQ(f.id, s.told) << what;
            }
        }
    }
}

namespace {

// Below `root`: six plain folders first (by then the walk trusts the disk's
// entries), then z/y/x, where each case puts its loop. The entries a walk lists
// without any loop.
std::vector<std::string> makeLoopTree(const std::string& root) {
    std::vector<std::string> names;
    for (const char* folder : {"a0", "a1", "a2", "a3", "a4", "a5", "z", "z/y", "z/y/x"}) {
        const std::string name = std::string(folder) + "/f.txt";
        touch(root + "/" + name);
        names.push_back(name);
    }
    return names;
}

std::string joined(const std::vector<std::string>& entries) {
    return std::accumulate(entries.begin(), entries.end(), std::string());
}

} // namespace

// A loop must end where it comes back whether the folder is recognised from
// its parent's read or asked: through links, through bind mounts of a folder
// above, and through a link out of a file system mounted inside the tree.
TEST(FolderScanLoops, HostileLinksAndMountsBackToAFolderAboveAreNotEnteredAgain) {
    struct Case {
        const char* what;
        bool mounts;
        std::function<void(const std::string& root)> make; // in the walk's own mount namespace
        std::vector<std::string> more;                     // entries beyond the plain tree
    };
    const auto bind = [](const std::string& from, const std::string& to) {
        fs::create_directories(to);
        if (::mount(from.c_str(), to.c_str(), nullptr, MS_BIND, nullptr) != 0) {
            throw std::runtime_error("bind mount " + to);
        }
    };
    const auto tmpfs = [](const std::string& at) {
        fs::create_directories(at);
        if (::mount("tmpfs", at.c_str(), "tmpfs", 0, "size=1m") != 0) {
            throw std::runtime_error("tmpfs at " + at);
        }
    };
    const std::vector<Case> cases = {
        {"links to the chosen folder and to a parent",
         false,
         [](const std::string& root) {
             fs::create_directory_symlink("../../..", root + "/z/y/x/up");
             fs::create_directory_symlink(root + "/z", root + "/z/y/x/back");
         },
         {}},
        {"the chosen folder bound inside itself",
         true,
         [&](const std::string& root) { bind(root, root + "/z/y/x/loop"); },
         {}},
        {"a parent bound below itself",
         true,
         [&](const std::string& root) { bind(root + "/z/y", root + "/z/y/x/y-again"); },
         {}},
        {"a folder beside bound in: walked there too",
         true,
         [&](const std::string& root) { bind(root + "/a0", root + "/z/y/x/copy"); },
         {"z/y/x/copy/f.txt"}},
        {"a file system mounted inside, with a link out of it to the chosen folder",
         true,
         [&](const std::string& root) {
             tmpfs(root + "/z/y/x/disk");
             touch(root + "/z/y/x/disk/in.txt");
             touch(root + "/z/y/x/disk/sub/deep.txt");
             fs::create_directory_symlink(root, root + "/z/y/x/disk/sub/home");
         },
         {"z/y/x/disk/in.txt", "z/y/x/disk/sub/deep.txt"}},
        {"the chosen folder bound inside a file system mounted inside it",
         true,
         [&](const std::string& root) {
             tmpfs(root + "/z/t");
             touch(root + "/z/t/in.txt");
             bind(root, root + "/z/t/s/u");
         },
         {"z/t/in.txt"}},
    };
    for (const Case& c : cases) {
        if (c.mounts && !runningAsRoot()) {
            continue; // counted below
        }
        for (unsigned threads : {1u, 0u}) {
            const TempDir dir;
            const std::string root = dir.path();
            std::vector<std::string> names = makeLoopTree(root);
            names.insert(names.end(), c.more.begin(), c.more.end());
            const std::string expected = joined(sorted(entries(root, names)));
            const Observed o = runInChild([&] {
                if (c.mounts &&
                    (::unshare(CLONE_NEWNS) != 0 ||
                     ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)) {
                    return std::string("no mount namespace");
                }
                c.make(root);
                const ScanResult result = ScanFolder(root, ScanOptions::all(true, threads));
                return joined(entriesOf(result.files)) +
                       (result.unreadableFolders.empty() ? "" : "unreadable folders\n");
            });
            if (o.out == "no mount namespace") {
                GTEST_SKIP() << "mount namespaces are not allowed here";
            }
            EXPECT_EQ(o.err, "") << c.what;
            EXPECT_EQ(o.out, expected) << c.what << " on " << threads << " thread(s)";
        }
    }
    if (!runningAsRoot()) {
        GTEST_SKIP() << "the cases with mounts need root";
    }
    recordSurvival("folder",
                   "bind mounts of the chosen folder or a parent inside the tree, a file "
                   "system mounted inside it with a link out to the chosen folder",
                   "each loop entered once; a folder beside bound in is listed under both names");
}
