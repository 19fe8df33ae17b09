#pragma once
// The command line's work, called by each platform's entry point with the
// arguments as UTF-8 (Linux: as the bytes they are).

namespace zentory {

// Parses `argv`, writes the list and returns the exit status.
int RunCli(int argc, char** argv);

} // namespace zentory
