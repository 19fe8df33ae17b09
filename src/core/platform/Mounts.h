#pragma once
// Where the process sees a file system mounted, read once at the start of a
// walk, so that the walk asks a folder for its identity only where a mount
// can be: below a mount point the entry a folder was read from no longer
// tells which folder it is.

#include <string>
#include <string_view>
#include <vector>

namespace zentory::platform {

class MountNames {
public:
    // The mounts of this moment. Where they cannot be told, every name may be one.
    static MountNames current();

    // Whether a folder named `name` may have a file system mounted on it: the
    // last name of some mount point is `name`. A mount made after current()
    // is not seen.
    bool mayBeMountPoint(std::string_view name) const;

    // Takes the last names of the mount points from the text of a mount table
    // (/proc/self/mountinfo: the fifth field, with "\ooo" escapes).
    static MountNames fromMountInfo(std::string_view text);
    // One that holds every name: nothing is known of the mounts.
    static MountNames everyName() { return MountNames(); }

private:
    bool m_everyName = true;
    std::vector<std::string> m_names; // sorted, each once
};

} // namespace zentory::platform
