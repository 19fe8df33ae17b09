#include "DialogWindow.h"

#include "Accessible.h"
#include "Dialog.h"
#include "ResourceIds.h"
#include "platform/win32/Utf16.h"

#include <windows.h>
#include <windowsx.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace zentory::win32 {

namespace {

// The system menu's About entry: below SC_* (0xF000), a multiple of 16.
constexpr UINT kAboutBoxCommand = 0x0010;
// Posted from WM_INITDIALOG: arrives once the dialog shows and its loop runs.
constexpr UINT kShownMessage = WM_APP + 1;

std::wstring windowText(HWND hwnd) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool isPushButton(HWND control) {
    const LONG_PTR type = GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

void setMenuText(HMENU menu, UINT item, BOOL byPosition, const std::string& text) {
    std::wstring wide = platform::widen(text);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING;
    info.dwTypeData = wide.data();
    if (menu != nullptr) {
        SetMenuItemInfoW(menu, item, byPosition, &info);
    }
}

// The static of style SS_PATHELLIPSIS among the controls of `dialog`, or null.
HWND pathEllipsisStatic(HWND dialog) {
    HWND found = nullptr;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr && found == nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        GetClassNameW(child, className, static_cast<int>(std::size(className)));
        const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
        if (lstrcmpiW(className, L"Static") == 0 && (style & SS_ELLIPSISMASK) == SS_PATHELLIPSIS) {
            found = child;
        }
    }
    return found;
}

} // namespace

void centreOn(HWND hwnd, HWND owner) {
    RECT area{};
    if (owner == nullptr || !GetWindowRect(owner, &area)) {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    RECT rect{};
    if (!GetWindowRect(hwnd, &rect)) {
        return;
    }
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    // An owner near the screen's edge keeps its dialog on the screen.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetMonitorInfoW(
            MonitorFromWindow(owner != nullptr ? owner : hwnd, MONITOR_DEFAULTTONEAREST),
            &monitor)) {
        const RECT& work = monitor.rcWork;
        x = std::max<int>(work.left, std::min<int>(x, work.right - width));
        y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
    }
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

DialogWindow::DialogWindow(window::CDialog& logic, DialogHost& host, bool modeless)
    : m_logic(logic), m_host(host), m_modeless(modeless) {}

DialogWindow::~DialogWindow() {
    if (m_modeless && m_hwnd != nullptr && IsWindow(m_hwnd)) {
        DestroyWindow(m_hwnd);
    }
    if (m_logic.View() == this) {
        m_logic.Attach(nullptr);
    }
    m_host.Forget(*this);
}

DialogWindow* DialogWindow::Of(const window::CDialog& logic) {
    return dynamic_cast<DialogWindow*>(logic.View());
}

INT_PTR CALLBACK DialogWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* window = reinterpret_cast<DialogWindow*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        return window->OnInitDialog(hwnd);
    }
    auto* window = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    return window != nullptr ? window->OnMessage(message, wParam, lParam) : FALSE;
}

BOOL DialogWindow::OnInitDialog(HWND hwnd) {
    m_hwnd = hwnd;
    m_host.Remember(*this);
    m_logic.Attach(this);
    if (m_logic.m_pParentWnd == nullptr) {
        PrepareMainWindow();
    }
    if (m_logic.StretchingList() != 0) {
        m_anchors.Attach(hwnd, m_logic.StretchingList());
    }
    m_pathLabel.Attach(hwnd, pathEllipsisStatic(hwnd));
    if (m_modeless) {
        return FALSE; // the toolkit starts it and puts the focus
    }
    if (m_logic.m_pParentWnd != nullptr) {
        // Windows puts a dialog at its template's place from the owner's corner.
        centreOn(hwnd, GetWindow(hwnd, GW_OWNER));
    }
    PostMessageW(hwnd, kShownMessage, 0, 0);
    return m_logic.StartDialog() ? TRUE : FALSE;
}

void DialogWindow::PrepareMainWindow() {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const auto& [which, size] : {std::pair{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}}) {
        const int pixels = GetSystemMetrics(size);
        if (HANDLE icon = LoadImageW(instance, MAKEINTRESOURCEW(ids::Icons::kProgram), IMAGE_ICON,
                                     pixels, pixels, LR_DEFAULTCOLOR | LR_SHARED)) {
            SendMessageW(m_hwnd, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
        }
    }
    if (HMENU system = GetSystemMenu(m_hwnd, FALSE)) {
        wchar_t about[128] = L"&About ...";
        LoadStringW(instance, ids::Strings::kAboutBox, about, static_cast<int>(std::size(about)));
        AppendMenuW(system, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(system, MF_STRING, kAboutBoxCommand, about);
    }
    DragAcceptFiles(m_hwnd, m_logic.AcceptsDroppedFolders() ? TRUE : FALSE);
}

INT_PTR DialogWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kShownMessage:
        m_logic.OnShown();
        return TRUE;
    case WM_COMMAND:
        OnCommand(wParam, lParam);
        return TRUE;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) != kAboutBoxCommand) {
            return FALSE;
        }
        m_logic.OnCommand(ids::Menu::kAbout);
        return TRUE;
    case WM_HELP:
        // Handled here, so that F1 in a dialog does not reach its owner.
        m_logic.OnHelpInfo();
        return TRUE;
    case WM_DROPFILES:
        OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return TRUE;
    case WM_NOTIFY:
        if (m_pathLabel.OnNotify(*reinterpret_cast<const NMHDR*>(lParam)) ||
            OnListKey(*reinterpret_cast<const NMHDR*>(lParam))) {
            return TRUE;
        }
        return m_list.OnNotify(*reinterpret_cast<const NMHDR*>(lParam)) ? TRUE : FALSE;
    case WM_CONTEXTMENU:
        if (m_logic.ListContextMenu() == 0 ||
            reinterpret_cast<HWND>(wParam) != GetDlgItem(m_hwnd, m_logic.StretchingList())) {
            return FALSE;
        }
        OnListContextMenu(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return TRUE;
    case WM_DRAWITEM:
        return m_pathLabel.OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam)) ? TRUE
                                                                                        : FALSE;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED) {
            m_anchors.OnSize();
            m_pathLabel.Invalidate();
        }
        return FALSE;
    case WM_GETMINMAXINFO:
        m_anchors.OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
        return TRUE;
    case WM_DPICHANGED:
        // Windows scales the dialog and its controls; the column is the program's.
        m_list.OnDpiChanged();
        return FALSE;
    case WM_SETCURSOR:
        if (!m_host.ShowBusyCursor()) {
            return FALSE;
        }
        SetWindowLongPtrW(m_hwnd, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_ENDSESSION:
        if (wParam != FALSE) {
            m_host.QuitAll();
        }
        return TRUE;
    case WM_DESTROY:
        if (m_logic.View() == this) {
            m_logic.Attach(nullptr);
        }
        SetWindowLongPtrW(m_hwnd, DWLP_USER, 0);
        return FALSE;
    default:
        return FALSE;
    }
}

void DialogWindow::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    if (id == window::IDOK) {
        m_logic.OnOK();
    } else if (id == window::IDCANCEL) {
        m_logic.OnCancel(); // Cancel, Escape and the close box
    } else if (lParam == 0) {
        m_logic.OnCommand(id); // a menu item
    } else if (HIWORD(wParam) == BN_CLICKED && isPushButton(reinterpret_cast<HWND>(lParam))) {
        m_logic.OnCommand(id);
    }
}

void DialogWindow::OnListContextMenu(POINT screen) {
    const HWND list = Item(m_logic.StretchingList());
    if (screen.x == -1 && screen.y == -1) {
        // From the keyboard: below the focused row, or the list's corner.
        RECT row{};
        const int focused = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
        if (focused < 0 || !ListView_GetItemRect(list, focused, &row, LVIR_LABEL)) {
            GetClientRect(list, &row);
            row.bottom = row.top;
        }
        screen = POINT{row.left, row.bottom};
        ClientToScreen(list, &screen);
    }
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_logic.ListContextMenu()));
    if (menu == nullptr) {
        return;
    }
    HMENU popup = GetSubMenu(menu, 0);
    for (const auto& [command, text] : m_listMenuTexts) {
        setMenuText(popup, static_cast<UINT>(command), FALSE, text);
    }
    const int command =
        static_cast<int>(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY,
                                        screen.x, screen.y, 0, m_hwnd, nullptr));
    DestroyMenu(menu);
    if (command != 0) {
        m_logic.OnCommand(command);
    }
}

bool DialogWindow::OnListKey(const NMHDR& note) {
    if (note.code != LVN_KEYDOWN || m_logic.StretchingList() == 0 ||
        note.hwndFrom != GetDlgItem(m_hwnd, m_logic.StretchingList()) ||
        (GetKeyState(VK_CONTROL) & 0x8000) == 0) {
        return false;
    }
    const WORD key = reinterpret_cast<const NMLVKEYDOWN&>(note).wVKey;
    const int command = key == 'C' ? ids::Menu::kCopyList : key == 'P' ? ids::Menu::kPrint : 0;
    if (command == 0) {
        return false;
    }
    m_logic.OnCommand(command);
    return true;
}

void DialogWindow::OnDropFiles(HDROP drop) {
    std::wstring path;
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) == 1) {
        path.resize(DragQueryFileW(drop, 0, nullptr, 0) + 1);
        path.resize(DragQueryFileW(drop, 0, path.data(), static_cast<UINT>(path.size())));
    }
    DragFinish(drop);
    const DWORD attributes =
        path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        m_logic.OnDropFolder(platform::narrow(path));
    }
}

HWND DialogWindow::Item(int id) const {
    HWND control = GetDlgItem(m_hwnd, id);
    if (control == nullptr) {
        throw std::logic_error("dialog " + std::to_string(m_logic.m_nIDTemplate) +
                               " has no control " + std::to_string(id));
    }
    return control;
}

void DialogWindow::SetDlgItemText(int id, const std::string& text) {
    SetWindowTextW(Item(id), platform::widen(text).c_str());
}

void DialogWindow::SetAccessibleName(int id, const std::string& name) {
    setAccessibleName(id == 0 ? m_hwnd : Item(id), platform::widen(name));
}

void DialogWindow::Announce(int id, const std::string& text) {
    announce(Item(id), platform::widen(text));
}

std::string DialogWindow::GetDlgItemText(int id) const {
    return platform::narrow(windowText(Item(id)));
}

void DialogWindow::CheckDlgButton(int id, int state) {
    ::CheckDlgButton(m_hwnd, id, static_cast<UINT>(state));
}

int DialogWindow::IsDlgButtonChecked(int id) const {
    return static_cast<int>(::IsDlgButtonChecked(m_hwnd, id));
}

void DialogWindow::EnableDlgItem(int id, bool enable) {
    EnableWindow(Item(id), enable ? TRUE : FALSE);
}

void DialogWindow::UpdateDlgItem(int id) {
    UpdateWindow(Item(id));
}

int DialogWindow::AddComboString(int id, const std::string& text) {
    HWND combo = Item(id);
    const LRESULT added = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    const std::wstring wide = platform::widen(text);
    const LRESULT item =
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    if (item >= 0) {
        SendMessageW(combo, CB_SETITEMDATA, static_cast<WPARAM>(item), added);
    }
    return static_cast<int>(item);
}

int DialogWindow::GetComboSelection(int id) const {
    HWND combo = Item(id);
    const LRESULT item = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (item < 0) {
        return -1;
    }
    std::wstring text(static_cast<size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, item, 0)) + 1,
                      L'\0');
    text.resize(static_cast<size_t>(
        SendMessageW(combo, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text.data()))));
    if (text != windowText(combo)) {
        return -1;
    }
    return static_cast<int>(SendMessageW(combo, CB_GETITEMDATA, item, 0));
}

bool DialogWindow::SelectComboString(int id, const std::string& text) {
    HWND combo = Item(id);
    const std::wstring wide = platform::widen(text);
    if (SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                     reinterpret_cast<LPARAM>(wide.c_str())) != CB_ERR) {
        return true;
    }
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    return false;
}

void DialogWindow::SetPopupText(int position, const std::string& text) {
    setMenuText(GetMenu(m_hwnd), static_cast<UINT>(position), TRUE, text);
    DrawMenuBar(m_hwnd);
}

void DialogWindow::SetMenuItemText(int command, const std::string& text) {
    if (m_logic.ListContextMenu() != 0) {
        m_listMenuTexts[command] = text; // the context menu is made when it opens
    }
    // The keys that the list takes for these commands.
    const char* keys = command == ids::Menu::kCopyList ? "\tCtrl+C"
                       : command == ids::Menu::kPrint  ? "\tCtrl+P"
                                                       : "";
    setMenuText(GetMenu(m_hwnd), static_cast<UINT>(command), FALSE, text + keys);
    if (command == ids::Menu::kAbout && m_logic.m_pParentWnd == nullptr) {
        // The system menu's entry speaks the interface language too.
        setMenuText(GetSystemMenu(m_hwnd, FALSE), kAboutBoxCommand, FALSE, text);
    }
    DrawMenuBar(m_hwnd);
}

std::vector<size_t> DialogWindow::GetListSelection(int id) const {
    std::vector<size_t> rows;
    const HWND list = Item(id);
    for (int row = ListView_GetNextItem(list, -1, LVNI_SELECTED); row >= 0;
         row = ListView_GetNextItem(list, row, LVNI_SELECTED)) {
        rows.push_back(static_cast<size_t>(row));
    }
    return rows;
}

void DialogWindow::SetListColumn(int id, const std::string& header) {
    m_list.SetColumn(Item(id), header);
}

void DialogWindow::SetListFiles(int id, const FileList& files) {
    m_list.SetFiles(Item(id), files);
}

void DialogWindow::SetListCells(int id, const std::vector<std::string>& headers,
                                const window::ListCells& cells) {
    m_list.SetCells(Item(id), headers, cells);
}

void DialogWindow::EndDialog(int result) {
    if (!m_modeless) {
        ::EndDialog(m_hwnd, result);
    }
}

} // namespace zentory::win32
