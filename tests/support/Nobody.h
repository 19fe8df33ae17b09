#pragma once
// Permission bits stop nothing for root, and the tests run as root: these run
// work as the unprivileged user "nobody" instead, so that the bits count.

#include <functional>
#include <string>
#include <vector>

namespace zentory::test {

bool runningAsRoot();

// Makes this process "nobody" when it runs as root. Only for a child process:
// there is no way back. False when the change failed.
bool becomeNobody();

// Runs `body` in a child process as "nobody" (as the current user when not
// root) and returns its exit code, or -1 when it did not exit normally.
int runAsNobody(const std::function<int()>& body);

// `argv` run through setpriv as "nobody" when the tests run as root; as it is
// otherwise, so a case that needs a user other than a file's owner skips
// unless runningAsRoot().
std::vector<std::string> asNobody(std::vector<std::string> argv);

// Lets "nobody" reach and read `path` (temporary folders are private to root).
void openUpForEveryone(const std::string& path);

} // namespace zentory::test
