#pragma once
// What assistive technology sees of the template dialogs: a control that the
// template hides (the main window's OK and Cancel) is none of its children.

#include <QString>

class QWidget;

namespace zentory::ui {

// Puts the template dialogs' accessible side in place; once is enough.
void installDialogAccessibility();

// The name by which assistive technology knows `control`.
void setAccessibleNameOf(QWidget* control, const QString& name);

} // namespace zentory::ui
