#pragma once
// What a front end's open dialog offers the window logic: the controls of its
// template by id, its menu, its list and its ending. Texts are bytes in the
// locale's encoding; a front end turns them into its toolkit's texts. A
// control's text keeps its "&" prefix characters: a button or check box shows
// the next letter as its mnemonic, a static without SS_NOPREFIX drops them.

#include <cstddef>
#include <string>
#include <vector>

namespace zentory {

class FileList;

namespace window {

// The texts of a list's columns after the file name, which the front end asks
// for whenever it draws a cell; column 1 is the first after the name.
class ListCells {
public:
    virtual ~ListCells() = default;
    virtual std::string CellText(size_t row, size_t column) const = 0;
};

class DialogView {
public:
    virtual ~DialogView() = default;

    // The text of control `id` as SetWindowText/GetWindowText see it.
    virtual void SetDlgItemText(int id, const std::string& text) = 0;
    virtual std::string GetDlgItemText(int id) const = 0;
    // A check box: 0 clear, 1 ticked, 2 undetermined.
    virtual void CheckDlgButton(int id, int state) = 0;
    virtual int IsDlgButtonChecked(int id) const = 0;
    virtual void EnableDlgItem(int id, bool enable) = 0;
    // Paints control `id` now, not only when the event loop next runs.
    virtual void UpdateDlgItem(int id) = 0;

    // A combo box's list: adds `text` (in case-blind order when the box is
    // CBS_SORT) and returns its index; the position in the order of adding of
    // the entry the edit field now shows exactly, or -1.
    virtual int AddComboString(int id, const std::string& text) = 0;
    virtual int GetComboSelection(int id) const = 0;
    // Selects the first entry that begins with `text`, letter case ignored;
    // false when none does.
    virtual bool SelectComboString(int id, const std::string& text) = 0;

    // The drop-down menu at `position` and the menu item of `command`.
    virtual void SetPopupText(int position, const std::string& text) = 0;
    virtual void SetMenuItemText(int command, const std::string& text) = 0;

    // The file list shown in list control `id`: the column's header (made
    // anew, selection and scroll position kept) and the rows, which the
    // front end reads from `files` whenever it draws them. `files` outlives
    // the dialog's view.
    virtual void SetListColumn(int id, const std::string& header) = 0;
    virtual void SetListFiles(int id, const FileList& files) = 0;
    // The columns after the name: made anew with `headers` when these differ
    // from the ones shown (none at the start), else kept as the person sized
    // them; their cells come from `cells`, which outlives the view.
    virtual void SetListCells(int id, const std::vector<std::string>& headers,
                              const ListCells& cells) = 0;

    // The rows chosen in list control `id`, in ascending order.
    virtual std::vector<size_t> GetListSelection(int id) const = 0;

    // What assistive technology (a screen reader) says of control `id`, or of
    // the dialog itself when `id` is 0: its name, in place of the one it
    // takes from its caption, and a state it reads out at once (its
    // description). Texts without prefix characters.
    virtual void SetAccessibleName(int id, const std::string& name) = 0;
    virtual void Announce(int id, const std::string& text) = 0;

    // Ends the dialog's modal loop with `result`.
    virtual void EndDialog(int result) = 0;
};

} // namespace window
} // namespace zentory
