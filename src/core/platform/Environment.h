#pragma once
// The process environment and the user's home: the variables that say where
// settings live and whether a display is there.

#include <string>

namespace zentory::platform {

// The value of the environment variable `name`; "" when it is unset.
std::string environmentValue(const char* name);

// The user's home folder: HOME when set, else the account's home folder; ""
// when neither is known.
std::string homeFolder();

} // namespace zentory::platform
