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

// Where homeFolder() looks when HOME is unset: a function giving the account's
// home folder ("" when unknown). By default the password file's entry of the
// real user. Tests put one of their own here, so that no test reaches the
// home of whoever runs it; nullptr puts the password file back.
using AccountHomeLookup = std::string (*)();
void setAccountHomeLookup(AccountHomeLookup lookup);

} // namespace zentory::platform
