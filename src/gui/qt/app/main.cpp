// zentory: the window that turns the contents of a folder into a text file.

#include "Version.h"
#include "app/ExportApp.h"
#include "app/StartOptions.h"

#include <QDebug>
#include <QString>
#include <QStringList>

#include <cstdlib>
#include <iostream>
#include <utility>

namespace {

// What Qt says while the window's platform starts is held back: a display that
// is named but does not answer makes Qt end the program, and then one line says
// why. Once the platform is up, what was held back is said after all.
QtMessageHandler g_previousHandler = nullptr;
QStringList g_startMessages;

void whileStarting(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtFatalMsg) {
        g_startMessages.append(message);
        return;
    }
    const QString first = g_startMessages.isEmpty() ? message : g_startMessages.front();
    std::cerr << "zentory: the window cannot open: "
              << first.section(u'\n', 0, 0).trimmed().toLocal8Bit().constData() << '\n';
    std::_Exit(1);
}

} // namespace

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
    if (const std::string problem = zentory::qt::displayProblem(); !problem.empty()) {
        std::cerr << "zentory: " << problem << '\n';
        return 1;
    }
    // Qt is shown only the program's name: the command line is the program's own.
    int programNameOnly = argc > 0 ? 1 : 0;
    g_previousHandler = qInstallMessageHandler(whileStarting);
    zentory::qt::CExportApp app(programNameOnly, argv);
    qInstallMessageHandler(g_previousHandler);
    for (const QString& message : std::as_const(g_startMessages)) {
        qWarning().noquote() << message;
    }
    app.InitInstance(start.folder);
    return 0;
}
