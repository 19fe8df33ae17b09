#pragma once
// The file list of a dialog as a virtual list view: the control holds no rows
// of its own and asks for the name of each row it draws, so that a list of a
// million files shows at once. Pale green ground, blue names, one column.

#include "WinApi.h"

#include <string>

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
    // Answers the list's question for a row's text; false for any other note.
    bool OnNotify(const NMHDR& note);
    // The column's width for the DPI of the monitor the window is now on.
    void OnDpiChanged();

private:
    void Prepare(HWND list);

    // The list view, once prepared.
    HWND m_list = nullptr;
    const FileList* m_files = nullptr;
    // The row count the control was last given.
    size_t m_rows = 0;
};

} // namespace win32
} // namespace zentory
