#include "platform/ProgramFolders.h"

#include "platform/Directory.h"
#include "platform/Environment.h"
#include "platform/FileError.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"
#include "platform/win32/ErrorCode.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/Utf16.h"

namespace zentory::platform {

namespace {

constexpr const char* kProgramFolder = "\\Orvane\\Zentory";

// Whether a new file may be made in `folder`: the one sure test on Windows,
// where access lists, not attribute bits, decide. The probe goes when closed.
bool isWritableFolder(const std::string& folder) {
    std::wstring probe = longPath(folder);
    probe += L"\\~zentory-" + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(h);
    return true;
}

} // namespace

ProgramFolders programFolders() {
    // The shipped files always lie beside the executable. A folder the user
    // may write to is a portable one and holds the settings too, unless the
    // setup program put the copy there; under Program Files, or installed for
    // one user, each user's settings are their own copy.
    const std::string exe = executableFolder();
    if (!pathExists(exe + "\\" + kInstalledMarker) && isWritableFolder(exe)) {
        return {exe, {}, false, {}};
    }
    return {exe, userSettingsFolder(), true, {}};
}

std::string userSettingsFolder() {
    const std::string appData = environmentValue("APPDATA");
    return appData.empty() ? std::string() : appData + kProgramFolder;
}

bool pathExists(const std::string& path) {
    if (GetFileAttributesW(longPath(path).c_str()) != INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

std::string foreignSettingsReason(const std::string&, const std::string&) {
    // %APPDATA% lies in the user's own profile, which its access list keeps
    // from other users; nothing on the way is shared as /tmp is on Linux.
    return {};
}

UserSettingsFile readUserSettings(const std::string& folder, const std::string& name) {
    const std::string path = folder + "\\" + name;
    if (!pathExists(path)) {
        return {};
    }
    return {{}, true, readFile(path)};
}

void writeUserSettings(const std::string& folder, const std::string& name, std::string_view text,
                       std::string_view tail) {
    createFolders(folder);
    writeText(folder + "\\" + name, text, /*durable=*/true, tail);
}

void setSettingsStepHook(SettingsStepHook) {
    // Nothing on the way to %APPDATA% is judged step by step here.
}

namespace {

// Where the part of `folder` that a program may make begins: after a drive's
// root (C:\ and \\?\C:\ ), or after the server and share of a network path
// (\\server\share\ and \\?\UNC\server\share\ ), which no program makes;
// %APPDATA% redirected to a share is one.
size_t madePartStart(const std::string& folder) {
    const auto afterParts = [&folder](size_t at, int parts) {
        for (int i = 0; i < parts && at != std::string::npos; ++i) {
            at = folder.find('\\', at);
            at = at == std::string::npos ? at : at + 1;
        }
        return at == std::string::npos ? folder.size() : at;
    };
    if (folder.starts_with("\\\\?\\UNC\\")) {
        return afterParts(8, 2);
    }
    if (folder.starts_with("\\\\?\\") || folder.starts_with("\\\\.\\")) {
        return afterParts(4, 1);
    }
    if (folder.starts_with("\\\\")) {
        return afterParts(2, 2);
    }
    return folder.size() >= 2 && folder[1] == ':' ? 3 : 0;
}

} // namespace

void createFolders(const std::string& path) {
    const std::string folder = nativeSeparators(path);
    const size_t start = madePartStart(folder);
    for (size_t end = folder.find('\\', start);; end = folder.find('\\', end + 1)) {
        const std::string step = folder.substr(0, end);
        if (step.size() > start && !CreateDirectoryW(longPath(step).c_str(), nullptr)) {
            const DWORD error = GetLastError();
            // A share may refuse to make what is already there.
            if (error != ERROR_ALREADY_EXISTS && !isFolder(step)) {
                throw FileError(step, "create folder", windowsErrorText(error));
            }
        }
        if (end == std::string::npos) {
            return;
        }
    }
}

std::string systemExecutableFolder() {
    // The buffer grows until the whole name fits: a long path may pass MAX_PATH.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) {
            return {};
        }
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    std::string utf8 = narrow(path);
    if (utf8.starts_with("\\\\?\\") && !utf8.starts_with("\\\\?\\UNC\\")) {
        utf8.erase(0, 4);
    }
    const auto slash = utf8.rfind('\\');
    return slash == std::string::npos ? std::string() : utf8.substr(0, slash);
}

} // namespace zentory::platform
