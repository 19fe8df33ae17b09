#include "app/ExportApp.h"

#include "ExportDlg.h"
#include "Version.h"
#include "export/TextExport.h"
#include "platform/write/Interruption.h"
#include "ui/QtShell.h"

#include <QSocketNotifier>

#include <clocale>
#include <iostream>
#include <memory>

namespace zentory::qt {

CExportApp::CExportApp(int& argc, char** argv) : QApplication(argc, argv) {
    // Texts and paths are bytes in the locale's encoding; every comparison and
    // conversion of the program works under the locale the environment names.
    std::setlocale(LC_ALL, "");
    // Ties the window to its desktop entry and icon.
    setDesktopFileName(QString::fromLatin1(kApplicationId));
    platform::catchInterruptionsForEventLoop();
}

bool CExportApp::InitInstance(const std::string& startFolder) {
    {
        qt::QtShell shell;
        CExportDlg dlg(shell);
        if (const std::string refusal = dlg.m_settings.UserSettingsRefusal(); !refusal.empty()) {
            std::cerr << "zentory: " << oneLine(refusal) << '\n';
        }
        dlg.m_strStartFolder = startFolder;
        RunMainWindow(dlg);
    }
    EndIfInterrupted();
    return false;
}

void CExportApp::RunMainWindow(CExportDlg& dlg) {
    // The window's writes run on this thread and hold the event loop while
    // they last, so a signal is seen here only between them.
    std::unique_ptr<QSocketNotifier> notifier;
    if (const int fd = platform::interruptionDescriptor(); fd >= 0) {
        notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(), [&] {
            notifier->setEnabled(false);
            dlg.OnInterruption();
        });
    }
    dlg.DoModal();
}

void CExportApp::EndIfInterrupted() {
    if (const int signal = platform::caughtInterruption(); signal != 0) {
        platform::endByInterruption(signal);
    }
}

} // namespace zentory::qt
