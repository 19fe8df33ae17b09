#pragma once
// The application object: takes the locale from the environment, runs the main
// window modally and lets the program end when the window closes.

#include <QApplication>

namespace zentory {

class CExportApp : public QApplication {
    Q_OBJECT

public:
    CExportApp(int& argc, char** argv);

    // Runs the main window until it closes; always false, so the program ends then.
    bool InitInstance();
};

} // namespace zentory
