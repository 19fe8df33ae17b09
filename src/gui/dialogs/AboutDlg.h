#pragma once
// The About box: the program's icon, name and version and two credit lines,
// the same in every interface language. OK, Escape and the close box end it.

#include "ui/TemplateDialog.h"

namespace zentory {

class CAboutDlg : public ui::TemplateDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* pParent = nullptr);
};

} // namespace zentory
