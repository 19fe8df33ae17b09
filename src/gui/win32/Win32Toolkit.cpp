#include "Win32Toolkit.h"

#include "DialogWindow.h"
#include "ProgressDlg.h"
#include "platform/win32/ErrorCode.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Utf16.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <stdexcept>
#include <thread>

namespace zentory::win32 {

namespace {

constexpr UINT_PTR kRefreshTimer = 1;

HWND handleOf(const window::CDialog& dlg) {
    const DialogWindow* window = DialogWindow::Of(dlg);
    return window != nullptr ? window->Handle() : nullptr;
}

// "de_DE" (or "de_DE.UTF-8") as Windows names it: "de-DE"; empty for none.
std::wstring localeName(const std::string& locale) {
    std::wstring name = platform::widen(locale.substr(0, locale.find_first_of(".@")));
    std::replace(name.begin(), name.end(), L'_', L'-');
    return name;
}

} // namespace

void Win32Toolkit::Remember(DialogWindow& window) {
    m_open.push_back(&window);
}

void Win32Toolkit::Forget(DialogWindow& window) {
    std::erase(m_open, &window);
}

int Win32Toolkit::RunModal(window::CDialog& dlg) {
    if (m_quitting) {
        return window::IDCANCEL;
    }
    const HWND owner = dlg.m_pParentWnd != nullptr ? handleOf(*dlg.m_pParentWnd) : nullptr;
    DialogWindow window(dlg, *this, false);
    const INT_PTR result =
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(dlg.m_nIDTemplate), owner,
                        &DialogWindow::Procedure, reinterpret_cast<LPARAM>(&window));
    if (result == -1) {
        throw std::runtime_error("dialog " + std::to_string(dlg.m_nIDTemplate) +
                                 " cannot open: " + platform::windowsErrorText(GetLastError()));
    }
    return static_cast<int>(result);
}

bool Win32Toolkit::RunBesideLoop(window::CDialog& owner, std::function<void()> work,
                                 window::CProgressDlg& progress, std::chrono::milliseconds delay) {
    platform::Handle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done.valid()) {
        throw std::runtime_error("cannot wait for the folder read: " +
                                 platform::windowsErrorText(GetLastError()));
    }
    // No input reaches the program's windows but the progress window's.
    std::vector<HWND> disabled;
    for (const DialogWindow* open : m_open) {
        if (IsWindowEnabled(open->Handle())) {
            EnableWindow(open->Handle(), FALSE);
            disabled.push_back(open->Handle());
        }
    }
    window::BesideWork walker(std::move(work), [&] { SetEvent(done.get()); });
    std::unique_ptr<DialogWindow> frame;
    const bool ended = PumpUntil(done.get(), frame, owner, progress, delay);
    // Enabled before the progress window goes, so that the owner, not
    // another program, becomes the active window.
    for (HWND hwnd : disabled) {
        EnableWindow(hwnd, TRUE);
    }
    m_progressShown = false;
    frame.reset();
    if (!ended) {
        walker.Abandon();
        return false;
    }
    walker.Finish();
    return true;
}

bool Win32Toolkit::PumpUntil(HANDLE done, std::unique_ptr<DialogWindow>& frame,
                             window::CDialog& owner, window::CProgressDlg& progress,
                             std::chrono::milliseconds delay) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point due = Clock::now() + delay;
    bool progressDue = true;
    int quitCode = -1;
    std::optional<Clock::time_point> letGo; // a cancelled read is waited for a moment only
    for (;;) {
        if (!letGo && progress.Cancelled()) {
            letGo = Clock::now() + window::kCancelGrace;
        }
        if (letGo && Clock::now() >= *letGo) {
            if (quitCode >= 0) {
                PostQuitMessage(quitCode);
            }
            return false;
        }
        const Clock::time_point next = letGo         ? *letGo
                                       : progressDue ? due
                                                     : Clock::time_point::max();
        DWORD timeout = INFINITE;
        if (next != Clock::time_point::max()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(next - Clock::now());
            timeout = static_cast<DWORD>(std::max<long long>(0, left.count()));
        }
        const DWORD woke =
            MsgWaitForMultipleObjectsEx(1, &done, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) {
            break;
        }
        if (progressDue && Clock::now() >= due) {
            progressDue = false;
            frame = OpenProgress(owner, progress);
        }
        const HWND dialog = frame != nullptr ? frame->Handle() : nullptr;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quitCode = static_cast<int>(msg.wParam); // for the loop outside, afterwards
            } else if (dialog != nullptr && msg.message == WM_TIMER && msg.hwnd == dialog) {
                progress.Refresh();
            } else if (dialog == nullptr || !IsDialogMessageW(dialog, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }
    // Waiting failed: nothing to do but let the read finish.
    WaitForSingleObject(done, INFINITE);
    if (quitCode >= 0) {
        PostQuitMessage(quitCode);
    }
    return true;
}

std::unique_ptr<DialogWindow> Win32Toolkit::OpenProgress(window::CDialog& owner,
                                                         window::CProgressDlg& progress) {
    const HWND ownerHandle = handleOf(owner);
    auto frame = std::make_unique<DialogWindow>(progress, *this, true);
    const HWND hwnd = CreateDialogParamW(
        GetModuleHandleW(nullptr), MAKEINTRESOURCEW(progress.m_nIDTemplate), ownerHandle,
        &DialogWindow::Procedure, reinterpret_cast<LPARAM>(frame.get()));
    if (hwnd == nullptr) {
        return nullptr; // the read goes on without a window, as if it were quick
    }
    progress.OnInitDialog();
    centreOn(hwnd, ownerHandle);
    ShowWindow(hwnd, SW_SHOW);
    SendMessageW(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(hwnd, window::IDCANCEL)),
                 TRUE);
    SetTimer(hwnd, kRefreshTimer, static_cast<UINT>(window::CProgressDlg::kRefreshInterval.count()),
             nullptr);
    // Still busy, but the Cancel button now takes a click.
    m_progressShown = true;
    ShowBusyCursor();
    return frame;
}

void Win32Toolkit::BeginWaitCursor() {
    ++m_waitDepth;
    ShowBusyCursor();
}

void Win32Toolkit::EndWaitCursor() {
    if (m_waitDepth > 0 && --m_waitDepth == 0 && !m_progressShown) {
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    }
}

bool Win32Toolkit::ShowBusyCursor() const {
    if (m_waitDepth == 0 && !m_progressShown) {
        return false;
    }
    SetCursor(LoadCursorW(nullptr, m_progressShown ? IDC_APPSTARTING : IDC_WAIT));
    return true;
}

std::string Win32Toolkit::FormatCount(std::uint64_t count, const std::string& locale) const {
    std::wstring name = localeName(locale);
    if (!name.empty() && !IsValidLocaleName(name.c_str())) {
        name.clear();
    }
    const wchar_t* which = name.empty() ? LOCALE_NAME_USER_DEFAULT : name.c_str();
    const std::wstring digits = std::to_wstring(count);
    wchar_t grouping[16];
    wchar_t decimal[8];
    wchar_t thousand[8];
    wchar_t formatted[64];
    if (GetLocaleInfoEx(which, LOCALE_SGROUPING, grouping, 16) == 0 ||
        GetLocaleInfoEx(which, LOCALE_SDECIMAL, decimal, 8) == 0 ||
        GetLocaleInfoEx(which, LOCALE_STHOUSAND, thousand, 8) == 0) {
        return platform::narrow(digits);
    }
    // A whole number, grouped as the locale groups: "3;0" (threes
    // throughout) is 3 here, "3;2;0" 32.
    NUMBERFMTW format{};
    for (const wchar_t* g = grouping; *g != L'\0'; ++g) {
        if (*g >= L'1' && *g <= L'9') {
            format.Grouping = format.Grouping * 10 + static_cast<UINT>(*g - L'0');
        }
    }
    format.lpDecimalSep = decimal;
    format.lpThousandSep = thousand;
    format.LeadingZero = 1; // 0 is "0", not ""
    format.NegativeOrder = 1;
    if (GetNumberFormatEx(which, 0, digits.c_str(), &format, formatted,
                          static_cast<int>(std::size(formatted))) == 0) {
        return platform::narrow(digits);
    }
    return platform::narrow(formatted);
}

void Win32Toolkit::QuitAll() {
    m_quitting = true;
    for (const DialogWindow* open : m_open) {
        if (!open->IsModeless()) {
            ::EndDialog(open->Handle(), window::IDCANCEL);
        }
    }
    // Ends a message box of the program too.
    PostQuitMessage(1);
}

} // namespace zentory::win32
