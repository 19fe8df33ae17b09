// The main window run as a process of its own, started and ended the way the
// zentory program runs it (CExportApp, RunMainWindow, EndIfInterrupted), with
// a recording Shell in place of Qt's dialogs and one scripted step, so that a
// test can send it a signal at a chosen moment:
//   window_driver save FOLDER TARGET  reads FOLDER, then saves its list (full
//                                     paths, no date) as TARGET
//   window_driver read FOLDER         reads FOLDER and its sub-folders slowly,
//                                     the progress window up from the start
//   window_driver about FOLDER        reads FOLDER, then opens the About box
// It writes "ready" on standard output once the step is under way (the write
// begins right after it; the read's or About's window is up).

#include "RecordingShell.h"
#include "SlowWatch.h"

#include "Framed.h"
#include "app/ExportApp.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <iostream>
#include <memory>
#include <string>

using namespace zentory;
using zentory::qt::CExportApp;

namespace {

void sayReady() {
    std::cout << "ready" << std::endl;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: window_driver save|read|about FOLDER [TARGET]\n";
        return 2;
    }
    const std::string mode = argv[1];
    int programNameOnly = 1;
    CExportApp app(programNameOnly, argv);
    {
        test::RecordingShell shell;
        test::QtExportDlg dlg(shell);
        dlg.m_strStartFolder = argv[2];
        if (mode == "read") {
            dlg.m_bSubFolders = 1;
            dlg.m_progressDelay = std::chrono::milliseconds(0);
            dlg.m_newScanWatch = [] {
                return std::make_unique<test::SlowWatch>(std::chrono::milliseconds(250));
            };
        }
        bool done = false;
        bool aboutAsked = false;
        QTimer step;
        QObject::connect(&step, &QTimer::timeout, &dlg, [&] {
            const QWidget* modal = QApplication::activeModalWidget();
            if (done || !dlg.isVisible()) {
                return;
            }
            if (mode == "save" && dlg.m_fileList.size() > 0) {
                done = true;
                shell.saveAnswer = argc > 3 ? argv[3] : "";
                dlg.m_optionsDlg.m_bShowFullPath = 1;
                dlg.m_optionsDlg.m_bShowDateTime = 0;
                dlg.m_optionsDlg.m_bOpenAfterSaving = 0;
                sayReady();
                dlg.m_btnSave->click();
            } else if (mode == "about" && !aboutAsked && !dlg.m_strChosenFolder.empty()) {
                aboutAsked = true;
                QTimer::singleShot(0, &dlg, [&] { dlg.OnAbout(); });
            } else if (mode != "save" && modal != nullptr && modal != static_cast<QWidget*>(&dlg)) {
                done = true;
                sayReady();
            }
        });
        step.start(10);
        CExportApp::RunMainWindow(dlg);
    }
    CExportApp::EndIfInterrupted();
    return 0;
}
