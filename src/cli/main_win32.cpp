// The Windows entry point: arguments come as UTF-16, so any file name can be
// passed whatever the code page; the program takes them as UTF-8.

#include "CliEntry.h"

#include <string>
#include <vector>
#include <windows.h>

namespace {

std::string toUtf8(const wchar_t* text) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) {
        return {};
    }
    std::string out(static_cast<size_t>(n), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr) != n) {
        return {};
    }
    out.pop_back(); // the terminating NUL
    return out;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    arguments.reserve(static_cast<size_t>(argc));
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(toUtf8(argv[i]));
    }
    std::vector<char*> pointers;
    for (auto& argument : arguments) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    return zentory::RunCli(argc, pointers.data());
}
