#include "WinTest.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <windows.h>

namespace fs = std::filesystem;

namespace wintest {

fs::path pathOf(const std::string& utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

namespace {

std::string utf8Of(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

std::wstring quoted(const std::wstring& arg) {
    // The C runtime's rules: backslashes double only before a quote.
    std::wstring out = L"\"";
    size_t slashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++slashes;
            continue;
        }
        out.append(c == L'"' ? slashes * 2 + 1 : slashes, L'\\');
        slashes = 0;
        out += c;
    }
    out.append(slashes * 2, L'\\');
    return out + L"\"";
}

std::string fromDefine(const char* value) {
    return value;
}

} // namespace

std::string readBytes(const std::string& utf8) {
    std::ifstream in(pathOf(utf8), std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + utf8);
    }
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

void writeBytes(const std::string& utf8, const std::string& bytes) {
    const fs::path p = pathOf(utf8);
    fs::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + utf8);
    }
}

std::vector<std::string> namesIn(const std::string& utf8) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(pathOf(utf8))) {
        names.push_back(utf8Of(e.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

// Removes `folder` (prefixed) and all in it, read-only files included,
// however long the paths below it.
void removeTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring path = folder + L"\\" + name;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            const bool link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && !link) {
                removeTree(path);
            } else if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                RemoveDirectoryW(path.c_str());
            } else {
                DeleteFileW(path.c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

} // namespace

TempDir::TempDir() {
    // A name nobody has: process ids come back, so the clock and a count too.
    static int counter = 0;
    const std::wstring base = fs::temp_directory_path().wstring();
    for (;;) {
        const fs::path p =
            fs::path(base) / ("zentory-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                              std::to_string(GetTickCount64()) + "-" + std::to_string(++counter));
        if (CreateDirectoryW(p.c_str(), nullptr)) {
            m_path = utf8Of(fs::canonical(p));
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            throw std::runtime_error("cannot make a folder below " + utf8Of(base));
        }
    }
}

TempDir::~TempDir() {
    // A folder left behind fails no test.
    // A program that just ended may hold its output files a moment longer.
    const std::wstring root = L"\\\\?\\" + pathOf(m_path).wstring();
    for (int attempt = 0; attempt < 50; ++attempt) {
        removeTree(root);
        if (GetFileAttributesW(root.c_str()) == INVALID_FILE_ATTRIBUTES) {
            return;
        }
        Sleep(20);
    }
}

namespace {

Finished run(const std::string& program, const std::wstring& arguments);

} // namespace

Finished runProgram(const std::string& program, const std::vector<std::string>& args) {
    std::wstring tail;
    for (const auto& a : args) {
        tail += L" " + quoted(pathOf(a).wstring());
    }
    return run(program, tail);
}

Finished runCommandLine(const std::string& program, const std::string& arguments) {
    return run(program, pathOf(arguments).wstring());
}

namespace {

Finished run(const std::string& program, const std::wstring& arguments) {
    TempDir outputs;
    const fs::path outPath = pathOf(outputs / "out");
    const fs::path errPath = pathOf(outputs / "err");
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    auto create = [&](const fs::path& p) {
        HANDLE h = CreateFileW(p.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                               &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            throw std::runtime_error("cannot create " + utf8Of(p));
        }
        return h;
    };
    HANDLE out = create(outPath);
    HANDLE err = create(errPath);
    HANDLE in = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                            OPEN_EXISTING, 0, nullptr);
    std::wstring line = quoted(pathOf(program).wstring()) + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in;
    si.hStdOutput = out;
    si.hStdError = err;
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
    CloseHandle(out);
    CloseHandle(err);
    CloseHandle(in);
    if (!started) {
        throw std::runtime_error("cannot start " + program);
    }
    Finished r;
    if (WaitForSingleObject(pi.hProcess, 60000) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(pi.hProcess, &r.status)) {
        TerminateProcess(pi.hProcess, 99);
        r.status = 99;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    r.out = readBytes(utf8Of(outPath));
    r.err = readBytes(utf8Of(errPath));
    return r;
}

} // namespace

HeldOpen::HeldOpen(const std::string& path) {
    const std::string ready = m_flags / "ready";
    std::wstring line = quoted(pathOf(holderPath()).wstring()) + L" " +
                        quoted(pathOf(path).wstring()) + L" " + quoted(pathOf(ready).wstring());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &si, &pi)) {
        throw std::runtime_error("cannot start the holder");
    }
    CloseHandle(pi.hThread);
    m_process = pi.hProcess;
    for (int waited = 0; !fs::exists(pathOf(ready)); waited += 10) {
        if (waited > 30000 || WaitForSingleObject(pi.hProcess, 10) == WAIT_OBJECT_0) {
            throw std::runtime_error("the holder did not take " + path);
        }
    }
}

HeldOpen::~HeldOpen() {
    std::error_code ignored;
    fs::remove(pathOf(m_flags / "ready"), ignored); // tells the holder to let go
    if (WaitForSingleObject(m_process, 30000) != WAIT_OBJECT_0) {
        TerminateProcess(m_process, 1);
    }
    CloseHandle(m_process);
}

std::string testDataFolder() {
    return fromDefine(ZENTORY_TEST_DATA);
}

std::string cliPath() {
    return fromDefine(ZENTORY_CLI_PATH);
}

std::string holderPath() {
    return fromDefine(ZENTORY_HOLDER_PATH);
}

std::string killedWriterPath() {
    return fromDefine(ZENTORY_KILLED_WRITER_PATH);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
    return text;
}

void makeWorkTree(const std::string& folder) {
    for (const char* file : {"Budget.xls", "img\\logo.png", "img\\old\\logo.bak.png",
                             "img\\thumbs.db", "notes.txt", "zeta.doc"}) {
        writeBytes(folder + "\\" + file, "x");
    }
}

std::string windowsGolden(const std::string& name, const std::string& folder) {
    const std::string linux = readBytes(testDataFolder() + "\\" + name);
    // Only the footer's date keeps its "/".
    const size_t footer = linux.find("Folder exported on");
    std::string paths = linux.substr(0, footer);
    std::replace(paths.begin(), paths.end(), '/', '\\');
    paths = replaced(paths, "C:\\Work", folder);
    return footer == std::string::npos ? paths : paths + linux.substr(footer);
}

} // namespace wintest
