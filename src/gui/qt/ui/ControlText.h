#pragma once
// Control texts as the dialogs see them (SetWindowText/GetWindowText with
// their "&" prefix characters), and the one place where the program's texts,
// bytes in the locale's encoding, become QStrings and back.

#include <QString>

#include <string>
#include <string_view>

class QComboBox;
class QWidget;

namespace zentory::qt {

// Property names the builder and these helpers share.
inline constexpr const char* kRawTextProperty = "zentoryWindowText";
inline constexpr const char* kNoPrefixProperty = "zentoryNoPrefix";
inline constexpr const char* kSortedProperty = "zentorySorted";

// Bytes in the locale's encoding as a QString, and back: the one place where
// the program's texts and Qt's meet.
QString fromBytes(std::string_view bytes);
std::string toBytes(const QString& text);

// The text of a control as SetWindowText/GetWindowText see it, prefix
// characters ("&") included; a static shows it without them unless SS_NOPREFIX.
void setControlText(QWidget* control, const QString& text);
QString controlText(const QWidget* control);
// Bytes in the locale's encoding to and from a control.
void setControlText(QWidget* control, const std::string& text);
std::string controlTextBytes(const QWidget* control);

// What a static without SS_NOPREFIX shows for `text`: "&&" gives "&", any other "&" goes.
QString withoutPrefixes(const QString& text);

// Adds `text` to a combo box's list, in case-blind order when the box is
// CBS_SORT, at the end otherwise. Returns its index.
int addComboString(QComboBox* combo, const QString& text);

} // namespace zentory::qt
