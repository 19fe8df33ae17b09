#include "platform/FileError.h"

#include <system_error>

namespace zentory::platform {

// The C library's own message (strerror_r where there is one), so the text is
// the one a person sees from other programs on this system.
std::string errorText(int errnum) {
    return std::generic_category().message(errnum);
}

namespace {
std::string describe(const std::string& path, const std::string& op, const std::string& reason) {
    return "cannot " + op + " '" + path + "': " + reason;
}
} // namespace

FileError::FileError(std::string path, std::string operation, int errnum)
    : FileError(std::move(path), std::move(operation), errorText(errnum)) {
    m_errnum = errnum;
}

FileError::FileError(std::string path, std::string operation, int errnum, const std::string& more)
    : FileError(std::move(path), std::move(operation), errorText(errnum) + "; " + more) {
    m_errnum = errnum;
}

FileError::FileError(std::string path, std::string operation, std::string reason)
    : std::runtime_error(describe(path, operation, reason)), m_path(std::move(path)),
      m_operation(std::move(operation)), m_reason(std::move(reason)) {}

} // namespace zentory::platform
