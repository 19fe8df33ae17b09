#pragma once
// An open folder, the operating system's side of the folder walk. Folders are
// opened relative to an open parent, so the walk never spells out a full path
// and no path length limit applies. Failures come back as errno values, not
// exceptions: a folder that cannot be read is an ordinary event of a walk.

#include <cstdint>
#include <string>
#include <string_view>

namespace zentory::platform {

// Which folder an open handle refers to, however it was reached.
struct FolderIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    bool operator==(const FolderIdentity&) const = default;
};

class Directory {
public:
    // Receives the entries of a folder, "." and ".." included.
    class Visitor {
    public:
        // `isFolder`: the entry is a folder, or a link that leads to one. A
        // dangling link and every other kind of entry count as files.
        virtual void entry(std::string_view name, bool isFolder) = 0;

    protected:
        ~Visitor() = default;
    };

    Directory() = default;
    ~Directory();
    Directory(Directory&& other) noexcept;
    Directory& operator=(Directory&& other) noexcept;
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

    // Opens the folder at `path` (links followed). Returns 0 or the errno value.
    int open(const std::string& path);
    // Opens the folder `name` inside the open folder `parent` (links followed).
    // Returns 0 or the errno value.
    int openIn(const Directory& parent, const std::string& name);
    // The identity of the open folder. Returns 0 or the errno value.
    int identity(FolderIdentity& out) const;
    // Reports every entry once to `visitor`, in the order the file system keeps
    // them. Only the types of links and of entries whose type the file system
    // does not tell are looked up. Returns 0 or the errno value.
    int read(Visitor& visitor);

    bool isOpen() const { return m_fd >= 0; }
    void close() noexcept;

private:
    int adopt(int fd);

    int m_fd = -1;
    void* m_dir = nullptr; // the DIR stream of <dirent.h>, made by the first read; owns m_fd
};

// The process's working directory. Throws FileError when it cannot be named.
std::string workingDirectory();

} // namespace zentory::platform
