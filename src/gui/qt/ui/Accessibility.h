#pragma once
// What assistive technology sees of the template dialogs: a control that the
// template hides (the main window's OK and Cancel) is none of its children.

namespace zentory::ui {

// Puts the template dialogs' accessible side in place; once is enough.
void installDialogAccessibility();

} // namespace zentory::ui
