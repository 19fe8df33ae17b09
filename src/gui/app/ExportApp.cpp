#include "app/ExportApp.h"

#include "app/ExportDlg.h"
#include "ui/QtShell.h"

#include <clocale>

namespace zentory {

CExportApp::CExportApp(int& argc, char** argv) : QApplication(argc, argv) {
    // Texts and paths are bytes in the locale's encoding; every comparison and
    // conversion of the program works under the locale the environment names.
    std::setlocale(LC_ALL, "");
}

bool CExportApp::InitInstance() {
    ui::QtShell shell;
    CExportDlg dlg(shell);
    dlg.DoModal();
    return false;
}

} // namespace zentory
