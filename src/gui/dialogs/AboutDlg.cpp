#include "dialogs/AboutDlg.h"

namespace zentory {

// The template holds every text; nothing here is translated.
CAboutDlg::CAboutDlg(QWidget* pParent) : ui::TemplateDialog(100, pParent) {}

} // namespace zentory
