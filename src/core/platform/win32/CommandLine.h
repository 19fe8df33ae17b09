#pragma once
// The program's arguments on Windows, split from its command line. The C
// runtime's rules read a backslash before a quote as an escaped quote, so the
// way Explorer and a person quote a folder that ends in a backslash ("E:\",
// "C:\Work Two\") would come out as E:" and swallow what follows; here such a
// backslash stays part of the argument and the quote closes it.

#include <string>
#include <string_view>
#include <vector>

namespace zentory::platform {

// `line` split into arguments, the program's name first. The name ends at the
// next quote when quoted, else at the first space or tab. The others follow
// the C runtime's rules (2n backslashes before a quote: n and the quote opens
// or closes; 2n+1: n and a quote), except that within quotes an odd run of
// backslashes before a quote that ends the line or is followed by a space or
// tab keeps one more backslash and the quote closes the argument: no Windows
// name holds a quote, and a folder often ends in a backslash.
std::vector<std::wstring> splitCommandLine(std::wstring_view line);

// This process's arguments as UTF-8, split as above.
std::vector<std::string> commandLineArguments();

} // namespace zentory::platform
