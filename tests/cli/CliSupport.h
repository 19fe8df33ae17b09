#pragma once
// What the CLI's suites share: the program under test, a copy of it with data
// files of the test's choice beside it, and a look at the exported lines.

#include "Files.h"
#include "Nobody.h"
#include "Process.h"
#include "TempDir.h"
#include "TextDiff.h"

#include "platform/TextFile.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace zentory::test {

inline const std::string kCliPath = ZENTORY_CLI_PATH;

// A folder with zentory-cli and the given data files beside it: the program
// then uses these as its "config.ini" and translation file.
class CliCopy {
public:
    CliCopy() {
        m_cli = m_dir / "zentory-cli";
        std::error_code ec;
        std::filesystem::create_hard_link(kCliPath, m_cli, ec);
        if (ec) {
            std::filesystem::copy_file(kCliPath, m_cli);
        }
        openUpForEveryone(m_dir.path());
    }
    void put(const std::string& name, const std::string& bytes) const {
        writeBytes(m_dir / name, bytes);
    }
    const std::string& folder() const { return m_dir.path(); }

    Observed run(std::vector<std::string> args, const std::string& cwd = "/",
                 double limitSeconds = 30) const {
        args.insert(args.begin(), m_cli);
        return runProcess(args, cwd, limitSeconds);
    }

private:
    TempDir m_dir;
    std::string m_cli;
};

// The number of exported lines (CR LF pairs), and whether any of them holds a control byte.
inline std::pair<size_t, bool> exportedLines(const std::string& text) {
    size_t lines = 0;
    bool control = false;
    for (const auto& line : platform::splitLines(text)) {
        ++lines;
        control = control || std::any_of(line.begin(), line.end(), [](char c) {
                      return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
                  });
    }
    return {lines, control};
}

} // namespace zentory::test
