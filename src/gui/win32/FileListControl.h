#pragma once
// The file list of a dialog as a virtual list view: the control holds no rows
// of its own and asks for the name of each row it draws, so that a list of a
// million files shows at once. Pale green ground, blue names, the name column
// and the window logic's columns after it; a cell's whole text is its tip.

#include "WinApi.h"

#include "DialogView.h"

#include <string>
#include <vector>

namespace zentory {

class FileList;

namespace win32 {

class FileListControl {
public:
    // The column of list view `list` made anew with `header`, the selection,
    // the focus and the scroll position kept.
    void SetColumn(HWND list, const std::string& header);
    // The rows of `list` from now on: the names in `files`, which outlives
    // the dialog.
    void SetFiles(HWND list, const FileList& files);
    // The columns after the name: made anew when `headers` differ from those
    // shown, else kept at the widths the person gave them.
    void SetCells(HWND list, const std::vector<std::string>& headers,
                  const window::ListCells& cells);
    // Answers the list's question for a row's text; false for any other note.
    bool OnNotify(const NMHDR& note);
    // The column's width for the DPI of the monitor the window is now on.
    void OnDpiChanged();

private:
    void Prepare(HWND list);
    // The text of `row` in column `column`, 0 being the name.
    std::wstring CellText(int row, int column) const;
    bool OnInfoTip(const NMLVGETINFOTIPW& tip) const;

    // The list view, once prepared.
    HWND m_list = nullptr;
    const FileList* m_files = nullptr;
    // The row count the control was last given.
    size_t m_rows = 0;
    std::vector<std::string> m_headers;
    const window::ListCells* m_cells = nullptr;
};

} // namespace win32
} // namespace zentory
