#include "FileListControl.h"

#include "ListLook.h"
#include "listing/FileList.h"
#include "platform/win32/Utf16.h"

#include <windows.h>

#include <algorithm>
#include <climits>

namespace zentory::win32 {

namespace {

COLORREF colourOf(const unsigned char (&rgb)[3]) {
    return RGB(rgb[0], rgb[1], rgb[2]);
}

// A column's width in pixels at the list's DPI (the width is given at 96).
int columnWidth(HWND list, int width = window::kListColumnWidth) {
    const UINT dpi = GetDpiForWindow(list);
    return MulDiv(width, dpi != 0 ? static_cast<int>(dpi) : 96, 96);
}

// Inserts column `index` with `header`, left-aligned, `width` pixels wide.
void insertColumn(HWND list, int index, const std::string& header, int width) {
    std::wstring text = platform::widen(header);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = LVCFMT_LEFT;
    column.cx = width;
    column.pszText = text.data();
    ListView_InsertColumn(list, index, &column);
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
    ListView_SetExtendedListViewStyle(list, LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP);
}

void FileListControl::SetColumn(HWND list, const std::string& header) {
    Prepare(list);
    const int selected = ListView_GetNextItem(list, -1, LVNI_SELECTED);
    const int focused = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
    const int top = ListView_GetTopIndex(list);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    if (m_headers.empty()) {
        ListView_DeleteColumn(list, 0);
        insertColumn(list, 0, header, columnWidth(list));
    } else {
        // The name column stays while columns follow it: only its header and width change.
        std::wstring text = platform::widen(header);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = columnWidth(list);
        column.pszText = text.data();
        ListView_SetColumn(list, 0, &column);
    }
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

void FileListControl::SetCells(HWND list, const std::vector<std::string>& headers,
                               const window::ListCells& cells) {
    Prepare(list);
    m_cells = &cells;
    if (headers != m_headers) {
        for (size_t i = 0; i < m_headers.size(); ++i) {
            ListView_DeleteColumn(list, 1);
        }
        m_headers = headers;
        for (size_t i = 0; i < headers.size(); ++i) {
            insertColumn(list, static_cast<int>(i) + 1, headers[i],
                         columnWidth(list, window::kListCellColumnWidth));
        }
    }
    RedrawWindow(list, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE);
}

void FileListControl::OnDpiChanged() {
    if (m_list != nullptr) {
        ListView_SetColumnWidth(m_list, 0, columnWidth(m_list));
        for (size_t i = 0; i < m_headers.size(); ++i) {
            ListView_SetColumnWidth(m_list, static_cast<int>(i) + 1,
                                    columnWidth(m_list, window::kListCellColumnWidth));
        }
    }
}

std::wstring FileListControl::CellText(int row, int column) const {
    if (m_files == nullptr || row < 0 || static_cast<size_t>(row) >= m_files->size()) {
        return {};
    }
    const auto index = static_cast<size_t>(row);
    if (column == 0) {
        return platform::widen(m_files->name(index));
    }
    return m_cells != nullptr && column > 0
               ? platform::widen(m_cells->CellText(index, static_cast<size_t>(column)))
               : std::wstring();
}

bool FileListControl::OnInfoTip(const NMLVGETINFOTIPW& tip) const {
    if (tip.pszText != nullptr && tip.cchTextMax > 0) {
        lstrcpynW(tip.pszText, CellText(tip.iItem, tip.iSubItem).c_str(), tip.cchTextMax);
    }
    return true;
}

bool FileListControl::OnNotify(const NMHDR& note) {
    if (note.code == LVN_GETINFOTIPW) {
        return OnInfoTip(reinterpret_cast<const NMLVGETINFOTIPW&>(note));
    }
    if (note.code != LVN_GETDISPINFOW) {
        return false;
    }
    auto& item = reinterpret_cast<const NMLVDISPINFOW&>(note).item;
    if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) {
        return true;
    }
    lstrcpynW(item.pszText, CellText(item.iItem, item.iSubItem).c_str(), item.cchTextMax);
    return true;
}

} // namespace zentory::win32
