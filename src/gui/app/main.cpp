// zentory: the window that turns the contents of a folder into a text file.

#include "app/ExportApp.h"

int main(int argc, char** argv) {
    // The program reads nothing from its command line: Qt is shown only its name.
    int programNameOnly = argc > 0 ? 1 : 0;
    zentory::CExportApp app(programNameOnly, argv);
    app.InitInstance();
    return 0;
}
