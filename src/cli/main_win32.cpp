// The Windows entry point: arguments come as UTF-16, so any file name can be
// passed whatever the code page; the program takes them as UTF-8. They are
// split from the command line itself, so that a quoted folder ending in a
// backslash ("C:\Work Two\") is that folder, not C:\Work Two".

#include "CliEntry.h"
#include "platform/win32/CommandLine.h"

#include <string>
#include <vector>

int wmain(int, wchar_t**) {
    std::vector<std::string> arguments = zentory::platform::commandLineArguments();
    std::vector<char*> pointers;
    for (auto& argument : arguments) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    return zentory::RunCli(static_cast<int>(arguments.size()), pointers.data());
}
