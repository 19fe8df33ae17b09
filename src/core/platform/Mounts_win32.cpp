#include "platform/Mounts.h"

namespace zentory::platform {

// A folder opened on Windows tells its identity with the open itself (see
// Directory_win32.cpp), so the walk needs no list of where volumes are mounted.
MountNames MountNames::current() {
    return everyName();
}

} // namespace zentory::platform
