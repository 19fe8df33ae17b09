#pragma once
// Paths handed to the Windows system: made absolute and written with the
// "\\?\" prefix, so that no 260-character limit applies.

#include <string>

namespace zentory::platform {

// `path` as the system takes it beyond 260 characters: absolute, with "\" as
// the separator, "." and ".." resolved, and "\\?\" (or "\\?\UNC\" for a share)
// in front. Device names (CON, NUL, "\\.\...") and paths that already carry a
// prefix are left as the system names them.
std::wstring longPath(const std::string& path);
// The same for a path whose absolute form is already known.
std::wstring prefixedPath(std::wstring absolute);
// A prefixed path as a person writes it: "\\?\C:\x" as "C:\x", "\\?\UNC\s\x"
// as "\\s\x".
std::string plainPath(std::string path);

} // namespace zentory::platform
