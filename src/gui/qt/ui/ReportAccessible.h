#pragma once
// What assistive technology sees of the file list: a table whose cells are
// read, and chosen with the list's own keys, but offer no action of their own
// (Qt's cells offer "Toggle", which would choose a single cell of a list that
// is chosen by rows). Cells are made when asked for and let go when the
// list's rows change, so a list of a million rows costs what is read of it.

class QAccessibleInterface;
class QObject;

namespace zentory::qt {

// The accessible side of a ReportView, or null for anything else.
QAccessibleInterface* reportAccessible(QObject* object);

} // namespace zentory::qt
