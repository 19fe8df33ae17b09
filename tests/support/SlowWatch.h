#pragma once
// A watch that slows a folder walk down, so that a test can see it running.

#include "listing/ScanWatch.h"

#include <chrono>
#include <thread>

namespace zentory::test {

// Takes `pause` for each folder the walk enters below the chosen one.
class SlowWatch : public ScanWatch {
public:
    explicit SlowWatch(std::chrono::milliseconds pause) : m_pause(pause) {}
    void enteringFolder() override { std::this_thread::sleep_for(m_pause); }

private:
    std::chrono::milliseconds m_pause;
};

} // namespace zentory::test
