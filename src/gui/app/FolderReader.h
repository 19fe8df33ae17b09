#pragma once
// Reads a folder for the main window on a thread beside the event loop, so that
// the window keeps painting and can be moved while the walk runs. Meanwhile no
// input reaches the program's windows but the progress window, which appears
// once the read has taken longer than a moment and offers to cancel it.

#include "listing/FolderScan.h"
#include "listing/ScanWatch.h"

#include <chrono>
#include <string>

class QWidget;

namespace zentory {

// The progress window's texts, in the interface language.
struct ProgressTexts {
    std::string reading;
    std::string files; // "%1": the number of files found
    std::string cancel;
    std::string locale; // formats the number
};

// How long a read runs before the progress window appears.
inline constexpr std::chrono::milliseconds kProgressDelay{400};

// Walks `folder` (with sub-folders on request) through `watch` and returns the
// walk's result; cancelled from the progress window, the result is empty and
// says so. The progress window is modal over `window` and appears after
// `progressDelay`. Anything the walk throws is thrown here.
ScanResult WalkBesideEventLoop(QWidget& window, const std::string& folder, bool subFolders,
                               ScanWatch& watch, const ProgressTexts& texts,
                               std::chrono::milliseconds progressDelay = kProgressDelay);

} // namespace zentory
