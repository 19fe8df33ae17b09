#pragma once
// Moves a dialog's member values to its controls or back, in the order the
// dialog's DoDataExchange names them. One object serves one transfer.

#include <string>

namespace zentory::window {

class DialogView;

class DataExchange {
public:
    // `saveAndValidate`: true reads the controls into the members, false shows the members.
    DataExchange(DialogView& view, bool saveAndValidate)
        : m_view(view), m_bSaveAndValidate(saveAndValidate) {}

    // The control's text (prefix characters included) and a byte string.
    void Text(int id, std::string& value) const;
    // A check box and a truth value: 0 clear, 1 ticked, 2 undetermined.
    void Check(int id, int& value) const;
    // A combo box with an edit field. Shown: the first list entry that begins
    // with `value` (letter case ignored) is selected, else `value` goes into the
    // field. Read: the field's text.
    void CBString(int id, std::string& value) const;

private:
    DialogView& m_view;

public:
    const bool m_bSaveAndValidate;
};

} // namespace zentory::window
