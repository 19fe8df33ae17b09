#include "Files.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace zentory::test {

void writeBytes(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Appended piece by piece: "f" + std::to_string(n) makes GCC 12 at -O3 warn of
// a memcpy overlap that cannot happen.
std::string numberedName(const std::string& prefix, int n, const std::string& suffix) {
    std::string name = prefix;
    name += std::to_string(n);
    name += suffix;
    return name;
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string goldenFile(const std::string& name) {
    return readBytes(std::string(ZENTORY_SOURCE_DIR) + "/tests/data/" + name);
}

void touch(const std::string& path) {
    const int flags = O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC;
    int fd = ::open(path.c_str(), flags, 0644);
    if (fd < 0 && errno == ENOENT) {
        fs::create_directories(fs::path(path).parent_path());
        fd = ::open(path.c_str(), flags, 0644);
    }
    if (fd >= 0) {
        ::close(fd);
    }
}

void makeFiles(const std::string& root, std::initializer_list<std::string> paths) {
    for (const auto& path : paths) {
        if (path.ends_with('/')) {
            fs::create_directories(root + "/" + path);
        } else {
            writeBytes(root + "/" + path, "");
        }
    }
}

std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) {
        names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool isCharDevice(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

FileIdentity identityOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return {};
    }
    return {st.st_ino, st.st_nlink, st.st_uid, st.st_gid, st.st_mode & 07777};
}

} // namespace zentory::test
