#include "platform/win32/CommandLine.h"

#include "platform/win32/Utf16.h"

#include <windows.h>

namespace zentory::platform {

namespace {

bool isBlank(wchar_t c) {
    return c == L' ' || c == L'\t';
}

// The program's name: no escapes, as the system reads it.
size_t programName(std::wstring_view line, std::vector<std::wstring>& out) {
    size_t at = 0;
    std::wstring name;
    if (!line.empty() && line[0] == L'"') {
        const size_t end = line.find(L'"', 1);
        name = line.substr(1, end == std::wstring_view::npos ? end : end - 1);
        at = end == std::wstring_view::npos ? line.size() : end + 1;
    }
    while (at < line.size() && !isBlank(line[at])) {
        name += line[at++];
    }
    out.push_back(std::move(name));
    return at;
}

} // namespace

std::vector<std::wstring> splitCommandLine(std::wstring_view line) {
    std::vector<std::wstring> out;
    size_t at = programName(line, out);
    for (;;) {
        while (at < line.size() && isBlank(line[at])) {
            ++at;
        }
        if (at >= line.size()) {
            return out;
        }
        std::wstring arg;
        bool quoted = false;
        while (at < line.size() && (quoted || !isBlank(line[at]))) {
            size_t slashes = 0;
            while (at < line.size() && line[at] == L'\\') {
                ++slashes;
                ++at;
            }
            if (at >= line.size() || line[at] != L'"') {
                arg.append(slashes, L'\\');
                if (slashes == 0) {
                    arg += line[at++];
                }
                continue;
            }
            const bool last = at + 1 >= line.size() || isBlank(line[at + 1]);
            if (slashes % 2 == 1 && quoted && last) {
                arg.append(slashes / 2 + 1, L'\\'); // "E:\" is the folder E:\ .
                quoted = false;
            } else if (slashes % 2 == 1) {
                arg.append(slashes / 2, L'\\');
                arg += L'"';
            } else {
                arg.append(slashes / 2, L'\\');
                quoted = !quoted;
            }
            ++at;
        }
        out.push_back(std::move(arg));
    }
}

std::vector<std::string> commandLineArguments() {
    std::vector<std::string> result;
    for (const std::wstring& arg : splitCommandLine(GetCommandLineW())) {
        result.push_back(narrow(arg));
    }
    return result;
}

} // namespace zentory::platform
