#pragma once
// Bulk output to the process's standard output, past any stream buffering, for
// command-line use.

#include <string>
#include <string_view>

namespace zentory::platform {

// Writes all of `bytes` to standard output. Throws FileError naming "standard
// output", or Interrupted when a caught signal stops a blocked write.
void writeStandardOutput(std::string_view bytes);

// Writes all of `bytes` (one message) to standard error. A message that cannot
// be written is lost, as it is with a closed standard error.
void writeStandardError(std::string_view bytes);

// Whether `path` leads to the very file that standard output is open on (such
// as /dev/stdout, or the file the shell redirected it to).
bool isStandardOutput(const std::string& path);

} // namespace zentory::platform
