#include "dialogs/AboutDlg.h"

#include "ResourceIds.h"

namespace zentory {

// The template holds every text; nothing here is translated.
CAboutDlg::CAboutDlg(QWidget* pParent) : ui::TemplateDialog(ids::About::kDialog, pParent) {}

} // namespace zentory
