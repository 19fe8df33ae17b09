#pragma once
// The application object: takes the locale from the environment, runs the main
// window modally and lets the program end when the window closes.

#include <QApplication>

#include <string>

namespace zentory {

class CExportApp : public QApplication {
    Q_OBJECT

public:
    CExportApp(int& argc, char** argv);

    // Runs the main window until it closes, reading `startFolder` first when it
    // is not empty; always false, so the program ends then.
    bool InitInstance(const std::string& startFolder = {});
};

} // namespace zentory
