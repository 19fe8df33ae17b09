#include "Win32Toolkit.h"

#include "DialogWindow.h"
#include "ProgressDlg.h"
#include "platform/win32/ErrorCode.h"
#include "platform/win32/Handle.h"
#include "platform/win32/Utf16.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <thread>

namespace zentory::win32 {

namespace {

HWND handleOf(const window::CDialog& dlg) {
    const DialogWindow* window = DialogWindow::Of(dlg);
    return window != nullptr ? window->Handle() : nullptr;
}

// Puts `hwnd` over the middle of `owner` (of the screen's work area without one).
void centreOn(HWND hwnd, HWND owner) {
    RECT area{};
    if (owner == nullptr || !GetWindowRect(owner, &area)) {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    RECT rect{};
    if (!GetWindowRect(hwnd, &rect)) {
        return;
    }
    const int x = area.left + (area.right - area.left - (rect.right - rect.left)) / 2;
    const int y = area.top + (area.bottom - area.top - (rect.bottom - rect.top)) / 2;
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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

// The message loop of one read: the program's dialogs disabled, the
// progress window the only one that takes input.
class Win32Toolkit::ReadLoop : public window::BesideLoop {
public:
    ReadLoop(Win32Toolkit& toolkit, window::CDialog& owner)
        : m_toolkit(toolkit), m_owner(handleOf(owner)),
          m_wake(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
        if (!m_wake.valid()) {
            throw std::runtime_error("cannot wait for the folder read: " +
                                     platform::windowsErrorText(GetLastError()));
        }
        for (const DialogWindow* open : m_toolkit.m_open) {
            if (IsWindowEnabled(open->Handle())) {
                EnableWindow(open->Handle(), FALSE);
                m_disabled.push_back(open->Handle());
            }
        }
    }

    ~ReadLoop() override {
        // Enabled before the progress window goes, so that the owner, not
        // another program, becomes the active window.
        for (HWND hwnd : m_disabled) {
            EnableWindow(hwnd, TRUE);
        }
        m_toolkit.m_progressShown = false;
        m_frame.reset();
        if (m_quitCode >= 0) {
            PostQuitMessage(m_quitCode); // for the loop outside
        }
    }

    ReadLoop(const ReadLoop&) = delete;
    ReadLoop& operator=(const ReadLoop&) = delete;

    void ShowProgress(window::CProgressDlg& progress) override {
        auto frame = std::make_unique<DialogWindow>(progress, m_toolkit, true);
        const HWND hwnd = CreateDialogParamW(
            GetModuleHandleW(nullptr), MAKEINTRESOURCEW(progress.m_nIDTemplate), m_owner,
            &DialogWindow::Procedure, reinterpret_cast<LPARAM>(frame.get()));
        if (hwnd == nullptr) {
            return; // the read goes on without a window, as if it were quick
        }
        m_frame = std::move(frame);
        progress.OnInitDialog();
        centreOn(hwnd, m_owner);
        ShowWindow(hwnd, SW_SHOW);
        SendMessageW(hwnd, WM_NEXTDLGCTL,
                     reinterpret_cast<WPARAM>(GetDlgItem(hwnd, window::IDCANCEL)), TRUE);
        // Still busy, but the Cancel button now takes a click.
        m_toolkit.m_progressShown = true;
        m_toolkit.ShowBusyCursor();
    }

    void Run(const std::function<std::optional<window::LoopClock::time_point>()>& step) override {
        for (auto next = step(); next; next = step()) {
            WaitAndHandle(*next);
        }
    }

    void Wake() override { SetEvent(m_wake.get()); }

private:
    // Waits for a message, the wake or `until`, and handles what came.
    void WaitAndHandle(window::LoopClock::time_point until) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(until - window::LoopClock::now());
        const auto timeout = static_cast<DWORD>(
            std::clamp<long long>(left.count(), 0, static_cast<long long>(INFINITE) - 1));
        HANDLE wake = m_wake.get();
        const DWORD woke =
            MsgWaitForMultipleObjectsEx(1, &wake, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_FAILED) {
            WaitForSingleObject(wake, timeout); // no messages, but the read goes on
            return;
        }
        const HWND dialog = m_frame != nullptr ? m_frame->Handle() : nullptr;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                m_quitCode = static_cast<int>(msg.wParam);
            } else if (dialog == nullptr || !IsDialogMessageW(dialog, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
    }

    Win32Toolkit& m_toolkit;
    HWND m_owner;
    platform::Handle m_wake;
    std::vector<HWND> m_disabled;
    std::unique_ptr<DialogWindow> m_frame;
    int m_quitCode = -1;
};

std::unique_ptr<window::BesideLoop> Win32Toolkit::OpenBesideLoop(window::CDialog& owner) {
    return std::make_unique<ReadLoop>(*this, owner);
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
