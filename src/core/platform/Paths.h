#pragma once
// How this platform spells a path: which paths are absolute, where a path's
// root ends, and which separators it takes.

#include "platform/PathSeparator.h"

#include <string>
#include <string_view>

namespace zentory::platform {

// Whether `path` names the same file from every working folder ("/home",
// "C:\Users", "\\server\share").
bool isAbsolutePath(std::string_view path);

// The part of the absolute `path` above its first folder, without the
// separator that follows it: "" for "/home", "C:" for "C:\Users",
// "\\server\share" for "\\server\share\x".
std::string_view pathRoot(std::string_view path);

// The folder part of `path` ("." without one; the root for a name right
// below it) and its last part, split at the last separator the platform accepts.
std::string folderOf(const std::string& path);
std::string nameOf(const std::string& path);

// `path` with every separator the platform accepts written as kPathSeparator.
std::string nativeSeparators(std::string_view path);

} // namespace zentory::platform
