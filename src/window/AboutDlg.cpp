#include "AboutDlg.h"

#include "ResourceIds.h"

namespace zentory::window {

// The template holds every text; nothing here is translated.
CAboutDlg::CAboutDlg(CDialog* pParent) : CDialog(ids::About::kDialog, pParent) {}

} // namespace zentory::window
