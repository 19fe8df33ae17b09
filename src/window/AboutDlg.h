#pragma once
// The About box: the program's icon, name and version and two credit lines,
// the same in every interface language. OK, Escape and the close box end it.

#include "Dialog.h"

namespace zentory::window {

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CDialog* pParent = nullptr);
};

} // namespace zentory::window
