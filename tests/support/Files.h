#pragma once
// Reading and making files for tests, in whole bytes.

#include <sys/types.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace zentory::test {

// Makes `path` (and the folders on its way) holding `bytes`.
void writeBytes(const std::string& path, const std::string& bytes);

// The bytes of the file at `path`; empty when it cannot be read.
std::string readBytes(const std::string& path);

// The bytes of the golden file `name` in tests/data.
std::string goldenFile(const std::string& name);

// `prefix`, the number `n` and `suffix` as one name: numberedName("f", 7, ".txt") is "f7.txt".
std::string numberedName(const std::string& prefix, int n, const std::string& suffix = "");

// Makes an empty file at `path` (and the folders on its way) when nothing is there.
void touch(const std::string& path);

// Makes each of `paths` below `root` as an empty file; a path ending in "/" makes a folder.
void makeFiles(const std::string& root, std::initializer_list<std::string> paths);

// The names in `folder`, hidden ones included, in byte order: a leftover
// temporary file shows here.
std::vector<std::string> namesIn(const std::string& folder);

// Whether `path` itself (not what a link leads to) is a character device.
bool isCharDevice(const std::string& path);

// What a rewrite of a file must keep: the file itself, its names, owner and mode.
struct FileIdentity {
    ino_t inode = 0;
    nlink_t links = 0;
    uid_t owner = 0;
    gid_t group = 0;
    mode_t mode = 0; // permission bits only
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the file `path` leads to; all zero when there is none.
FileIdentity identityOf(const std::string& path);

} // namespace zentory::test
