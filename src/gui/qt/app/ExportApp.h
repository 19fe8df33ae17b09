#pragma once
// The application object: takes the locale from the environment, runs the main
// window modally and lets the program end when the window closes. A signal
// that asks the program to end (SIGTERM, SIGHUP, SIGINT, SIGQUIT) ends it
// cleanly: a folder read stops, every dialog closes, and the process then
// ends by that signal. A write under way is first finished or taken back.

#include "app/QtToolkit.h"

#include <QApplication>

#include <string>

namespace zentory {
namespace window {
class CExportDlg;
}

namespace qt {

using window::CExportDlg;

class CExportApp : public QApplication {
    Q_OBJECT

public:
    // Also turns the signals above into events of the event loop, before any
    // window exists.
    CExportApp(int& argc, char** argv);

    // Runs the main window until it closes, reading `startFolder` first when it
    // is not empty; always false, so the program ends then. Ended by a
    // signal, it does not return.
    bool InitInstance(const std::string& startFolder = {});

    // Runs `dlg` as the main window until it closes or a signal asks the
    // program to end; then returns (the caller ends the process by
    // EndIfInterrupted once the window is gone).
    static void RunMainWindow(CExportDlg& dlg);
    // Ends the process by the signal that asked it to end, if one did.
    static void EndIfInterrupted();

private:
    qt::QtToolkit m_toolkit;
};

} // namespace qt
} // namespace zentory
