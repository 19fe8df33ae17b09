#pragma once
// Bulk output to the process's standard output, past any stream buffering, for
// command-line use.

#include <string_view>

namespace zentory::platform {

// Writes all of `bytes` to standard output. Throws FileError naming "standard output".
void writeStandardOutput(std::string_view bytes);

} // namespace zentory::platform
