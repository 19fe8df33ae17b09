#pragma once
// What assistive technology sees of the template dialogs: a control that the
// template hides (the main window's OK and Cancel) is none of its children.

#include <QString>

struct QMetaObject;
class QWidget;

namespace zentory::qt {

// Puts the accessible side of the template dialogs, the instances of
// `dialogClass`, in place; once is enough.
void installDialogAccessibility(const QMetaObject& dialogClass);

// The name by which assistive technology knows `control`.
void setAccessibleNameOf(QWidget* control, const QString& name);

} // namespace zentory::qt
