#include "WinApi.h"

#include "Win32Shell.h"

#include "Version.h"
#include "platform/win32/Utf16.h"

#include <windows.h>

#include <commdlg.h>
#include <shobjidl.h>

namespace zentory::win32 {

namespace {

// How long a path the save dialog may give back.
constexpr size_t kSaveNameChars = 32768;

// Releases a COM interface when it goes.
template <typename T> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (m_p != nullptr) {
            m_p->Release();
        }
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* operator->() const { return m_p; }
    T** put() { return &m_p; }

private:
    T* m_p = nullptr;
};

void box(const std::wstring& text, const wchar_t* caption, UINT type) {
    MessageBoxW(GetActiveWindow(), text.c_str(), caption, MB_OK | type);
}

} // namespace

std::wstring saveDialogFilter(const std::vector<window::SaveType>& types) {
    std::wstring filter;
    for (const window::SaveType& type : types) {
        filter += platform::widen(type.description) + L'\0';
        filter += L"*." + platform::widen(type.extension) + L'\0';
    }
    return filter + L'\0';
}

std::optional<std::string> Win32Shell::browseForFolder(const std::string& title) {
    ComPtr<IFileOpenDialog> dialog;
    if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(dialog.put())))) {
        return std::nullopt;
    }
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM | FOS_PATHMUSTEXIST);
    dialog->SetTitle(platform::widen(title).c_str());
    ComPtr<IShellItem> item;
    if (FAILED(dialog->Show(GetActiveWindow())) || FAILED(dialog->GetResult(item.put()))) {
        return std::nullopt; // cancelled
    }
    PWSTR path = nullptr;
    if (FAILED(item->GetDisplayName(SIGDN_FILESYSPATH, &path))) {
        return std::nullopt;
    }
    std::string folder = platform::narrow(path);
    CoTaskMemFree(path);
    return folder;
}

std::optional<window::SaveChoice>
Win32Shell::askSaveFileName(const std::string& proposedName,
                            const std::vector<window::SaveType>& types) {
    std::wstring name = platform::widen(proposedName);
    name.resize(kSaveNameChars, L'\0');
    const std::wstring filters = saveDialogFilter(types);
    const std::wstring extension = types.empty() ? L"" : platform::widen(types.front().extension);
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = GetActiveWindow();
    ofn.lpstrFilter = filters.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    // With a default extension, the dialog gives a name typed without one the
    // extension of the type chosen.
    ofn.lpstrDefExt = extension.c_str();
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameW(&ofn)) {
        return std::nullopt; // cancelled (CommDlgExtendedError() 0) or refused
    }
    name.resize(name.find(L'\0'));
    // nFilterIndex counts the types from 1.
    return window::SaveChoice{platform::narrow(name),
                              ofn.nFilterIndex > 0 ? static_cast<int>(ofn.nFilterIndex) - 1 : 0};
}

void Win32Shell::messageBox(const std::string& text, const std::string& caption) {
    const std::wstring wideCaption = platform::widen(caption);
    box(platform::widen(text), wideCaption.c_str(), 0);
}

void Win32Shell::fileErrorBox(const std::string& text) {
    box(platform::widen(text), platform::widen(kProgramName).c_str(), MB_ICONEXCLAMATION);
}

void Win32Shell::open(const std::string& fileOrAddress) {
    ShellExecuteW(GetActiveWindow(), L"open", platform::widen(fileOrAddress).c_str(), nullptr,
                  nullptr, SW_SHOWNORMAL);
}

} // namespace zentory::win32
