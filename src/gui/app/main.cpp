// zentory: the window that turns the contents of a folder into a text file.

#include "Version.h"
#include "app/ExportApp.h"
#include "app/StartOptions.h"

#include <iostream>

int main(int argc, char** argv) {
    const zentory::StartOptions start = zentory::parseStartOptions(argc, argv);
    switch (start.action) {
    case zentory::StartOptions::Action::Help:
        std::cout << zentory::startHelp();
        return 0;
    case zentory::StartOptions::Action::Version:
        std::cout << "zentory " << zentory::kVersion << '\n';
        return 0;
    case zentory::StartOptions::Action::Usage:
        std::cerr << "zentory: " << start.error << "\nTry 'zentory --help'.\n";
        return 2;
    case zentory::StartOptions::Action::Run:
        break;
    }
    // Qt aborts when it finds no display; say so in one line instead.
    if (const std::string problem = zentory::displayProblem(); !problem.empty()) {
        std::cerr << "zentory: " << problem << '\n';
        return 1;
    }
    // Qt is shown only the program's name: the command line is the program's own.
    int programNameOnly = argc > 0 ? 1 : 0;
    zentory::CExportApp app(programNameOnly, argv);
    app.InitInstance(start.folder);
    return 0;
}
