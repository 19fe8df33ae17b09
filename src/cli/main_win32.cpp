// The Windows entry point: arguments come as UTF-16, so any file name can be
// passed whatever the code page; the program takes them as UTF-8.

#include "CliEntry.h"
#include "platform/WideText_win32.h"

#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<size_t>(argc));
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(zentory::platform::narrow(argv[i]));
    }
    std::vector<char*> pointers;
    for (auto& argument : arguments) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    return zentory::RunCli(argc, pointers.data());
}
