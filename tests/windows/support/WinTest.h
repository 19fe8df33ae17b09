#pragma once
// What the Windows suites share: UTF-8 paths made into files and folders
// through the wide API, a temporary folder that goes with the test, a
// program run with its output caught, and the folder trees of the tests.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace wintest {

// A UTF-8 path as the standard library's path (UTF-16 inside).
std::filesystem::path pathOf(const std::string& utf8);
// The bytes of the file at `utf8`; throws when it cannot be read.
std::string readBytes(const std::string& utf8);
// Makes the file (and its folders) holding exactly `bytes`.
void writeBytes(const std::string& utf8, const std::string& bytes);
// The names in folder `utf8`, in byte order.
std::vector<std::string> namesIn(const std::string& utf8);

// A fresh folder below the system's temporary folder, removed with its
// contents when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return m_path; }
    // A path below the folder, every "/" in `relative` written as a backslash,
    // so that a test shared with Linux names its files as the system does.
    std::string operator/(std::string relative) const {
        std::replace(relative.begin(), relative.end(), '/', '\\');
        return m_path + "\\" + relative;
    }

private:
    std::string m_path;
};

// What a finished program left.
struct Finished {
    unsigned long status = 0;
    std::string out; // its standard output, as bytes
    std::string err; // its standard error, as bytes
};
// Runs `program` with `args` (each quoted as the C runtime splits them) and
// waits for it; standard output and error go to files that are read back.
Finished runProgram(const std::string& program, const std::vector<std::string>& args);
// The same with `arguments` put on the command line as they are, after the
// program's name: a space first, then quotes and backslashes as written.
Finished runCommandLine(const std::string& program, const std::string& arguments);

// Another process holds the file at `path` open for reading while this object
// lives, letting others read it but not write or delete it (as a viewer or a
// spreadsheet program does).
class HeldOpen {
public:
    explicit HeldOpen(const std::string& path);
    ~HeldOpen();
    HeldOpen(const HeldOpen&) = delete;
    HeldOpen& operator=(const HeldOpen&) = delete;

private:
    TempDir m_flags;
    void* m_process = nullptr;
};

// The source tree's test data folder, the CLI under test, the helper that
// holds a file open and the one that dies halfway through a write (from the
// build).
std::string testDataFolder();
std::string cliPath();
std::string holderPath();
std::string killedWriterPath();

// `text` with every `from` replaced by `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to);

// The worked example's tree of six files below `folder`.
void makeWorkTree(const std::string& folder);

// A Linux golden file of the export as Windows writes it: every "/" in a path
// or heading written as "\", the folder "C:/Work" as `folder`.
std::string windowsGolden(const std::string& name, const std::string& folder);

} // namespace wintest
