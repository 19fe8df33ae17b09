#include "app/ExportApp.h"

#include "Version.h"
#include "app/ExportDlg.h"
#include "ui/QtShell.h"

#include <clocale>

namespace zentory {

CExportApp::CExportApp(int& argc, char** argv) : QApplication(argc, argv) {
    // Texts and paths are bytes in the locale's encoding; every comparison and
    // conversion of the program works under the locale the environment names.
    std::setlocale(LC_ALL, "");
    // Ties the window to its desktop entry and icon.
    setDesktopFileName(QString::fromLatin1(kApplicationId));
}

bool CExportApp::InitInstance(const std::string& startFolder) {
    ui::QtShell shell;
    CExportDlg dlg(shell);
    dlg.m_strStartFolder = startFolder;
    dlg.DoModal();
    return false;
}

} // namespace zentory
