// zentory.exe: the window that turns the contents of a folder into a text
// file, drawn with the system's own dialogs. `zentory.exe [FOLDER]` reads
// FOLDER once the window is up.

#include "WinApi.h"

#include "ExportDlg.h"
#include "StartCommand.h"
#include "Version.h"
#include "Win32Shell.h"
#include "Win32Toolkit.h"
#include "platform/win32/CommandLine.h"
#include "platform/win32/Utf16.h"

#include <windows.h>

#include <exception>
#include <objbase.h>
#include <string>
#include <vector>

namespace {

int tell(const std::string& text, UINT icon, int exitCode) {
    MessageBoxW(nullptr, zentory::platform::widen(text).c_str(),
                zentory::platform::widen(zentory::kProgramName).c_str(), MB_OK | icon);
    return exitCode;
}

// The COM library of this thread, for the folder browser, while it lives.
class ComApartment {
public:
    ComApartment()
        : m_started(SUCCEEDED(
              CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComApartment() {
        if (m_started) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool m_started;
};

int runWindow(const std::string& startFolder) {
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_STANDARD_CLASSES | ICC_LISTVIEW_CLASSES};
    if (!InitCommonControlsEx(&controls)) {
        return tell("The system's list control is not available.", MB_ICONERROR, 1);
    }
    ComApartment com;
    zentory::win32::Win32Shell shell;
    zentory::win32::Win32Toolkit toolkit;
    zentory::window::CExportDlg dlg(shell);
    dlg.m_strStartFolder = startFolder;
    dlg.DoModal();
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Split from the command line itself: Explorer passes a drive as "E:\",
    // which the C runtime's rules would read as E:".
    const std::vector<std::string> args = zentory::platform::commandLineArguments();
    std::vector<const char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    const zentory::StartOptions start =
        zentory::parseStartOptions(static_cast<int>(argv.size()), argv.data());
    switch (start.action) {
    case zentory::StartOptions::Action::Help:
        return tell(zentory::startHelp(), MB_ICONINFORMATION, 0);
    case zentory::StartOptions::Action::Version:
        return tell(std::string("zentory ") + zentory::kVersion, MB_ICONINFORMATION, 0);
    case zentory::StartOptions::Action::Usage:
        return tell("zentory: " + start.error + "\nTry 'zentory --help'.", MB_ICONERROR, 2);
    case zentory::StartOptions::Action::Run:
        break;
    }
    try {
        return runWindow(start.folder);
    } catch (const std::exception& error) {
        return tell(std::string("zentory: ") + error.what(), MB_ICONERROR, 1);
    }
}
