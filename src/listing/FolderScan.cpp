#include "listing/FolderScan.h"

#include "platform/Directory.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <unordered_set>

namespace zentory {

namespace {

using platform::Directory;
using platform::FolderIdentity;

// Folders held open at once besides the chosen one. Deeper folders are closed
// and opened again through ".." (or from the nearest open folder) on the way up.
constexpr size_t kOpenFolders = 64;

// Sort keys: the name followed by '/' for a folder or LF for a file, then a NUL.
// Ordering each folder's keys once gives the files of the whole tree in the
// byte order of their entries: a folder's entries all begin with "name/", a
// file's entry is "name" + LF, and a name holds neither '/' nor NUL.
constexpr char kFolderMark = kPathSeparator;
constexpr char kFileMark = '\n';

struct IdentityHash {
    size_t operator()(const FolderIdentity& id) const {
        return std::hash<uint64_t>()(id.inode * 0x9e3779b97f4a7c15ULL ^ id.device);
    }
};

class Walker : private Directory::Visitor {
public:
    Walker(ScanResult& result, bool subFolders) : m_result(result), m_subFolders(subFolders) {}

    void run(const std::string& folder) {
        Directory dir;
        FolderIdentity id;
        int err = dir.open(folder);
        if (err == 0) {
            err = dir.identity(id);
        }
        if (err != 0) {
            m_result.folderError.emplace(folder, "open folder", err);
            return;
        }
        m_path = folder;
        err = enter(std::move(dir), id);
        if (err != 0) {
            m_result.folderError.emplace(folder, "read folder", err);
            return;
        }
        while (!m_frames.empty()) {
            step();
        }
    }

private:
    struct Frame {
        Directory dir;     // closed while the folder is far above the deepest one
        FolderIdentity id; // to recognise it when reached again
        size_t pathLength; // length of its path in m_path
        size_t keyBase;    // where its keys start in m_keys
        size_t childBase;  // where its children start in m_children
        size_t next;       // the next child to take
        int lostError = 0; // set when it could not be opened again
    };

    void entry(std::string_view name, bool isFolder) override {
        char mark = kFileMark;
        if (isFolder) {
            if (!m_subFolders || name == "." || name == "..") {
                return;
            }
            mark = kFolderMark;
        } else if (name.empty() || name.back() == '.') {
            return;
        }
        const size_t offset = m_keys.size() - m_keyBase;
        if (offset > UINT32_MAX) {
            m_overflow = true;
            return;
        }
        m_children.push_back(static_cast<uint32_t>(offset));
        m_keys.append(name);
        m_keys.push_back(mark);
        m_keys.push_back('\0');
    }

    // Reads the folder now at m_path and puts it on top. Returns 0 or the errno value.
    int enter(Directory dir, const FolderIdentity& id) {
        m_keyBase = m_keys.size();
        const size_t childBase = m_children.size();
        m_overflow = false;
        int err = dir.read(*this);
        if (err == 0 && m_overflow) {
            err = EOVERFLOW;
        }
        if (err != 0) {
            m_keys.resize(m_keyBase);
            m_children.resize(childBase);
            return err;
        }
        const char* keys = m_keys.data() + m_keyBase;
        std::sort(m_children.begin() + static_cast<ptrdiff_t>(childBase), m_children.end(),
                  [keys](uint32_t a, uint32_t b) { return std::strcmp(keys + a, keys + b) < 0; });
        m_frames.push_back(
            Frame{std::move(dir), id, m_path.size(), m_keyBase, childBase, childBase});
        m_onTheWay.insert(id);
        // Keep the number of open folders bounded, however deep the tree.
        if (m_frames.size() > kOpenFolders + 1) {
            m_frames[m_frames.size() - 1 - kOpenFolders].dir.close();
        }
        return 0;
    }

    void step() {
        Frame& top = m_frames.back();
        if (top.next == m_children.size()) {
            leave();
            return;
        }
        const char* key = m_keys.data() + top.keyBase + m_children[top.next++];
        const size_t length = std::strlen(key) - 1;
        if (key[length] == kFileMark) {
            m_result.files.append(m_path, std::string_view(key, length));
            return;
        }
        // Copied: reading the sub-folder may move m_keys.
        descend(std::string(key, length));
    }

    void descend(const std::string& name) {
        const Frame& parent = m_frames.back();
        const size_t parentLength = m_path.size();
        m_path += kPathSeparator;
        m_path += name;
        Directory dir;
        FolderIdentity id;
        int err = parent.lostError;
        if (err == 0) {
            err = dir.openIn(parent.dir, name);
        }
        if (err == 0) {
            err = dir.identity(id);
        }
        // A folder already on the way down is reached through a link: entering
        // it again would list the same files under ever longer paths.
        bool entered = false;
        if (err == 0 && !m_onTheWay.contains(id)) {
            err = enter(std::move(dir), id);
            entered = err == 0;
        }
        if (err != 0) {
            m_result.unreadableFolders.emplace_back(m_path, "read folder", err);
        }
        if (!entered) {
            m_path.resize(parentLength);
        }
    }

    void leave() {
        Frame& top = m_frames.back();
        m_onTheWay.erase(top.id);
        m_keys.resize(top.keyBase);
        m_children.resize(top.childBase);
        Directory child = std::move(top.dir);
        m_frames.pop_back();
        if (m_frames.empty()) {
            return;
        }
        m_path.resize(m_frames.back().pathLength);
        if (!m_frames.back().dir.isOpen()) {
            reopen(child);
        }
    }

    // Opens the top folder again after it was closed to bound the open folders.
    void reopen(const Directory& child) {
        Frame& top = m_frames.back();
        Directory dir;
        FolderIdentity id;
        if (child.isOpen() && dir.openIn(child, "..") == 0 && dir.identity(id) == 0 &&
            id == top.id) {
            top.dir = std::move(dir);
            return;
        }
        // The child was reached through a link: go down again by name from the
        // nearest folder still open (the chosen folder always is).
        const size_t target = m_frames.size() - 1;
        size_t from = target;
        while (from > 0 && !m_frames[from].dir.isOpen()) {
            --from;
        }
        const Directory* parent = &m_frames[from].dir;
        for (size_t j = from + 1; j <= target; ++j) {
            const size_t begin = m_frames[j - 1].pathLength + 1;
            const std::string name = m_path.substr(begin, m_frames[j].pathLength - begin);
            Directory next;
            int err = next.openIn(*parent, name);
            if (err == 0) {
                err = next.identity(id);
            }
            if (err == 0 && id != m_frames[j].id) {
                err = ENOENT; // replaced by another folder while the walk ran
            }
            if (err != 0) {
                top.lostError = err;
                return;
            }
            dir = std::move(next);
            parent = &dir;
        }
        top.dir = std::move(dir);
    }

    ScanResult& m_result;
    const bool m_subFolders;
    std::string m_path;               // the folder on top of m_frames
    std::string m_keys;               // the sort keys of every folder on the way down
    std::vector<uint32_t> m_children; // their offsets, per folder from its key base
    std::vector<Frame> m_frames;      // the folders on the way down, the chosen one first
    std::unordered_set<FolderIdentity, IdentityHash> m_onTheWay;
    size_t m_keyBase = 0;
    bool m_overflow = false;
};

} // namespace

ScanResult ScanFolder(const std::string& folder, bool subFolders) {
    ScanResult result;
    Walker(result, subFolders).run(folder);
    return result;
}

} // namespace zentory
