#pragma once
// A temporary folder on the RAM file system (/dev/shm) when there is one:
// large trees are made and removed there in a fraction of the time. Else like
// TempDir.

#include "TempDir.h"

namespace zentory::test {

class RamDir : public TempDir {
public:
    RamDir();
};

} // namespace zentory::test
