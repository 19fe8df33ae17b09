#pragma once
// config.ini and a translation file with NUL bytes inside texts, for the
// core's and the CLI's halves of one hostile case.

#include "Files.h"

#include <string>

namespace zentory::test {

inline constexpr const char* kNulCase =
    "a NUL byte in a key line and in \"Product ID\" (\"h<NUL>d\")";

// Puts the files into `folder`: "Product ID" is "h<NUL>d", so "htrl.ini" is the
// translation file; "h", what the name cut at its NUL would open, holds
// other texts.
inline void putNulFiles(const std::string& folder) {
    using namespace std::string_literals;
    writeBytes(folder + "/config.ini", "Product ID\r\nh\0d\r\nLanguage\0 old\r\n[1033]\r\n"s);
    writeBytes(folder + "/htrl.ini",
               "[1033]\r\n00001 x\r\n00002 English\0 (old)\r\n00038 Listed\0 in\r\n[EOL]\r\n"s);
    writeBytes(folder + "/h", "[1033]\r\n00001 Wrong\r\n00038 Wrong file\r\n[EOL]\r\n");
}

} // namespace zentory::test
