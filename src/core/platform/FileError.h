#pragma once
// A file or folder operation that failed: which path, what was being done, and
// the operating system's own words for why.

#include <stdexcept>
#include <string>

namespace zentory::platform {

class FileError : public std::runtime_error {
public:
    // `operation` is a verb phrase such as "open", "create", "write to", "read folder".
    FileError(std::string path, std::string operation, int errnum);
    FileError(std::string path, std::string operation, std::string reason);
    // The OS's words for `errnum`, then `more` after a semicolon.
    FileError(std::string path, std::string operation, int errnum, const std::string& more);

    const std::string& path() const { return m_path; }
    const std::string& operation() const { return m_operation; }
    const std::string& reason() const { return m_reason; }
    // The errno value behind the failure, 0 when there is none.
    int errnum() const { return m_errnum; }

private:
    std::string m_path;
    std::string m_operation;
    std::string m_reason;
    int m_errnum = 0;
};

// The OS's message for an errno value ("Permission denied").
std::string errorText(int errnum);

} // namespace zentory::platform
