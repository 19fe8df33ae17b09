#pragma once
// Moves a dialog's member values to its controls or back, in the order the
// dialog's DoDataExchange names them. One object serves one transfer.

#include <string>

class QAbstractButton;
class QComboBox;
class QWidget;

namespace zentory::ui {

class DataExchange {
public:
    // `saveAndValidate`: true reads the controls into the members, false shows the members.
    explicit DataExchange(bool saveAndValidate) : m_bSaveAndValidate(saveAndValidate) {}

    // The control's text (prefix characters included) and a byte string.
    void Text(QWidget* control, std::string& value) const;
    // A check box and a truth value: 0 clear, 1 ticked, 2 undetermined.
    void Check(QAbstractButton* box, int& value) const;
    // A combo box with an edit field. Shown: the first list entry that begins
    // with `value` (letter case ignored) is selected, else `value` goes into the
    // field. Read: the field's text.
    void CBString(QComboBox* combo, std::string& value) const;

    const bool m_bSaveAndValidate;
};

} // namespace zentory::ui
