#include "FileListControl.h"

#include "ExportDlg.h"
#include "listing/FileList.h"
#include "platform/WideText_win32.h"

#include <algorithm>
#include <climits>

namespace zentory::win32 {

namespace {

COLORREF colourOf(const unsigned char (&rgb)[3]) {
    return RGB(rgb[0], rgb[1], rgb[2]);
}

// The column's width in pixels at the list's DPI (the width is given at 96).
int columnWidth(HWND list) {
    const UINT dpi = GetDpiForWindow(list);
    return MulDiv(window::kListColumnWidth, dpi != 0 ? static_cast<int>(dpi) : 96, 96);
}

int rowCount(const FileList& files) {
    return static_cast<int>(std::min<size_t>(files.size(), INT_MAX));
}

} // namespace

void FileListControl::Prepare(HWND list) {
    if (m_list == list) {
        return;
    }
    m_list = list;
    ListView_SetBkColor(list, colourOf(window::kListBackground));
    ListView_SetTextBkColor(list, colourOf(window::kListBackground));
    ListView_SetTextColor(list, colourOf(window::kListText));
    ListView_SetExtendedListViewStyle(list, LVS_EX_DOUBLEBUFFER);
}

void FileListControl::SetColumn(HWND list, const std::string& header) {
    Prepare(list);
    const int selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    const int focused = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
    const int top = ListView_GetTopIndex(list);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteColumn(list, 0);
    std::wstring text = platform::widen(header);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = LVCFMT_LEFT;
    column.cx = columnWidth(list);
    column.pszText = text.data();
    ListView_InsertColumn(list, 0, &column);
    if (focused >= 0) {
        ListView_SetItemState(list, focused, LVIS_FOCUSED, LVIS_FOCUSED);
    }
    if (selected >= 0) {
        ListView_SetItemState(list, selected, LVIS_SELECTED, LVIS_SELECTED);
    }
    // Back to the rows that were on top, which a new column may have moved.
    const int now = ListView_GetTopIndex(list);
    RECT row{};
    if (now != top && ListView_GetItemRect(list, now, &row, LVIR_BOUNDS)) {
        ListView_Scroll(list, 0, (top - now) * (row.bottom - row.top));
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    RedrawWindow(list, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void FileListControl::SetFiles(HWND list, const FileList& files) {
    Prepare(list);
    m_files = &files;
    // The same rows again (a list shown anew): nothing moves. Other rows: the
    // control starts at the top with nothing selected.
    const bool same = files.size() == m_rows;
    m_rows = files.size();
    ListView_SetItemCountEx(list, rowCount(files),
                            same ? LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL : 0);
    RedrawWindow(list, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_UPDATENOW);
}

void FileListControl::OnDpiChanged() {
    if (m_list != nullptr) {
        ListView_SetColumnWidth(m_list, 0, columnWidth(m_list));
    }
}

bool FileListControl::OnNotify(const NMHDR& note) {
    if (note.code != LVN_GETDISPINFOW) {
        return false;
    }
    auto& item = reinterpret_cast<const NMLVDISPINFOW&>(note).item;
    if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) {
        return true;
    }
    item.pszText[0] = L'\0';
    if (m_files != nullptr && item.iItem >= 0 &&
        static_cast<size_t>(item.iItem) < m_files->size()) {
        const std::wstring name = platform::widen(m_files->name(static_cast<size_t>(item.iItem)));
        lstrcpynW(item.pszText, name.c_str(), item.cchTextMax);
    }
    return true;
}

} // namespace zentory::win32
