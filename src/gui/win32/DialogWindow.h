#pragma once
// A dialog of the window logic drawn by Windows from its template resource:
// the dialog procedure forwards what the person did to the logic, and the
// DialogView that the logic acts through moves texts (UTF-8 in the program,
// UTF-16 at the control), checks, combo entries, menu texts and the file
// list to and from the controls. A main window (one without an owner) also
// gets the program's icon, the system menu's About entry and dropped folders;
// a modal dialog opens over the middle of its owner.

#include "WinApi.h"

#include "ControlAnchors.h"
#include "DialogHost.h"
#include "DialogView.h"
#include "FileListControl.h"
#include "PathLabel.h"

#include <map>
#include <string>
#include <vector>

namespace zentory {

namespace window {
class CDialog;
}

namespace win32 {

class DialogWindow : public window::DialogView {
public:
    // `modeless`: the host runs the dialog's start itself (the progress window).
    DialogWindow(window::CDialog& logic, DialogHost& host, bool modeless);
    ~DialogWindow() override;
    DialogWindow(const DialogWindow&) = delete;
    DialogWindow& operator=(const DialogWindow&) = delete;

    // The procedure of every dialog of the program; the DialogWindow comes
    // with WM_INITDIALOG.
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The window that draws `logic`, or null when it is not open.
    static DialogWindow* Of(const window::CDialog& logic);

    HWND Handle() const { return m_hwnd; }
    // The label of style SS_PATHELLIPSIS, shortened in the middle; none attached without one.
    const PathLabel& FolderLabel() const { return m_pathLabel; }
    bool IsModeless() const { return m_modeless; }

    void SetDlgItemText(int id, const std::string& text) override;
    std::string GetDlgItemText(int id) const override;
    void CheckDlgButton(int id, int state) override;
    int IsDlgButtonChecked(int id) const override;
    void EnableDlgItem(int id, bool enable) override;
    void UpdateDlgItem(int id) override;
    int AddComboString(int id, const std::string& text) override;
    int GetComboSelection(int id) const override;
    bool SelectComboString(int id, const std::string& text) override;
    void SetPopupText(int position, const std::string& text) override;
    void SetMenuItemText(int command, const std::string& text) override;
    void SetListColumn(int id, const std::string& header) override;
    void SetListFiles(int id, const FileList& files) override;
    void SetListCells(int id, const std::vector<std::string>& headers,
                      const window::ListCells& cells) override;
    std::vector<size_t> GetListSelection(int id) const override;
    void SetAccessibleName(int id, const std::string& name) override;
    void Announce(int id, const std::string& text) override;
    void EndDialog(int result) override;

private:
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog(HWND hwnd);
    void OnCommand(WPARAM wParam, LPARAM lParam);
    void OnDropFiles(HDROP drop);
    // The list's context menu at `screen` (-1, -1: below the list's focused row).
    void OnListContextMenu(POINT screen);
    // Ctrl+C and Ctrl+P on the list, which a dialog's own loop gives no accelerators.
    bool OnListKey(const NMHDR& note);
    void PrepareMainWindow();
    HWND Item(int id) const;

    window::CDialog& m_logic;
    DialogHost& m_host;
    const bool m_modeless;
    HWND m_hwnd = nullptr;
    FileListControl m_list;
    ControlAnchors m_anchors;
    PathLabel m_pathLabel;
    // The texts of the list's context menu by command, as the logic gave them.
    std::map<int, std::string> m_listMenuTexts;
};

// Puts `hwnd` over the middle of `owner` (of the screen's work area without
// one), inside the work area of the screen it lands on.
void centreOn(HWND hwnd, HWND owner);

} // namespace win32
} // namespace zentory
