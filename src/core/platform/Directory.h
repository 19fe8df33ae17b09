#pragma once
// An open folder, the operating system's side of the folder walk. Folders are
// opened relative to an open parent, so the walk never spells out a full path
// and no path length limit applies. Failures come back as errno values, not
// exceptions: a folder that cannot be read is an ordinary event of a walk.
// Distinct Directory objects may be used from different threads at once, and
// one open Directory may serve as the parent of openIn calls on several threads.

#include "platform/FileHandle.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zentory::platform {

// Which folder an open handle refers to, however it was reached.
struct FolderIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FolderIdentity&) const = default;
};

// What reading a folder tells of a sub-folder's identity, without asking the
// sub-folder itself.
struct EntryIdentity {
    enum class Source : unsigned char {
        None,   // nothing: only the opened folder can tell
        Entry,  // the entry's inode number (`id.inode`); the device is that of the
                // folder read, unless a file system is mounted on the entry, and
                // the number is the folder's own only where the file system keeps
                // one numbering for entries and folders
        Lookup, // the entry, a link, was looked up: what it leads to, both numbers
    };
    Source source = Source::None;
    FolderIdentity id;
};

class Directory {
public:
    // Receives the entries of a folder, "." and ".." included.
    class Visitor {
    public:
        // `isFolder`: the entry is a folder, or a link that leads to one. A
        // dangling link and every other kind of entry count as files. `name`
        // is followed by a NUL byte in memory; it is valid only during the call.
        // `identity`: what the read tells of a folder's identity. Returns false
        // to end the read early.
        virtual bool entry(std::string_view name, bool isFolder, const EntryIdentity& identity) = 0;
        // Whether statEntry will be asked for the files' sizes and times: a
        // system whose listing tells them (Windows) keeps them from the read,
        // so that no file is asked again.
        virtual bool wantsSizes() const { return false; }

    protected:
        ~Visitor() = default;
    };

    Directory();
    ~Directory();
    Directory(Directory&& other) noexcept;
    Directory& operator=(Directory&& other) noexcept;
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

    // Opens the folder at `path` (links followed). Returns 0 or the errno value.
    int open(const std::string& path);
    // Opens the folder `relative` inside the open folder `parent`: one name, or
    // several joined by "/" (links followed). Returns 0 or the errno value.
    int openIn(const Directory& parent, const char* relative);
    int openIn(const Directory& parent, const std::string& relative) {
        return openIn(parent, relative.c_str());
    }
    // The identity of the open folder (one system call here; on Windows it
    // came with the open). Returns 0 or the errno value.
    int identity(FolderIdentity& out) const;
    // Reports every entry once to `visitor`, in the order the file system keeps
    // them, reading many entries per system call. Only the types of links and
    // of entries whose type the file system does not tell are looked up.
    // Returns 0, ECANCELED when the visitor ended the read, or the errno value.
    int read(Visitor& visitor);
    // The size in bytes and the time of last change (seconds since 1970, UTC)
    // of the entry `name` in this folder, a link followed to what it leads to.
    // Returns 0 or the errno value (a dangling link: ENOENT).
    int statEntry(const char* name, int64_t& size, int64_t& modified) const;

    bool isOpen() const { return m_handle.valid(); }
    void close() noexcept;

private:
    FileHandle m_handle; // the open folder
    // The folder's path, for systems that read a folder by its path (Windows);
    // the handle then only holds the folder and answers its identity.
    std::string m_path;
    FolderIdentity m_identity; // on Windows, told by the open
    // The files' sizes and times as the last read told them, where it did.
    struct Sizes;
    std::unique_ptr<Sizes> m_sizes;
};

// How many files this process may hold open at once.
size_t openFileLimit();

// Whether `path` leads to a folder (links followed); false for a file, a
// missing path and one whose kind cannot be told.
bool isFolder(const std::string& path);

// The process's working directory. Throws FileError when it cannot be named.
std::string workingDirectory();

} // namespace zentory::platform
