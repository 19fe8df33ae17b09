#pragma once
// What a test built for Linux and for Windows (run under Wine) takes from its
// support: a temporary folder, whole files, the names in a folder and an
// environment variable changed for a while; from tests/support on Linux and
// from the Windows suites' own support there. Where the systems differ, a
// test's table holds both values (PerSystem) and takes the one for here.

#include "EnvironmentVariable.h"
#include "Pattern.h"

#ifdef _WIN32
#include "WinTest.h"
#else
#include "Files.h"
#include "TempDir.h"
#endif

namespace zentory::test {

#ifdef _WIN32
using wintest::namesIn;
using wintest::readBytes;
using wintest::TempDir;
using wintest::writeBytes;
constexpr bool kOnWindows = true;
// The variable that names the temporary folder (GetTempPathW reads it first).
constexpr const char* kTempFolderVariable = "TMP";
#else
constexpr bool kOnWindows = false;
constexpr const char* kTempFolderVariable = "TMPDIR";
#endif

// A number of a test's table that differs between the systems.
struct PerSystem {
    int onLinux;
    int onWindows;
    int here() const { return kOnWindows ? onWindows : onLinux; }
};

} // namespace zentory::test
