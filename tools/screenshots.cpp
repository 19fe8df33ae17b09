// zentory-screenshots: renders the main window, the options dialog, the
// language dialog, the list options, the About box and the progress window of a
// long read to PNG files, once per shipped language, through the real dialogs;
// and the main window grown, with the list's columns over a sample folder. Run
// it without a display:
//   QT_QPA_PLATFORM=offscreen zentory-screenshots OUTPUT-FOLDER

#include "AboutDlg.h"
#include "ExportDlg.h"
#include "LanguageDlg.h"
#include "ListOptionsDlg.h"
#include "ProgressDlg.h"
#include "ResourceIds.h"
#include "app/QtToolkit.h"
#include "i18n/LanguageList.h"
#include "platform/ProgramFolders.h"
#include "ui/DialogFrame.h"
#include "ui/QtShell.h"

#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>

using namespace zentory;
using namespace zentory::window;

namespace {

struct Language {
    const char* tag;
    const char* suffix;
};
constexpr Language kLanguages[] = {{"[1033]", "en"}, {"[1031]", "de"}, {"[1036]", "fr"}};

bool saveShot(QWidget& window, const QString& path) {
    const bool saved = window.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "FAILED", qPrintable(path));
    return saved;
}

// Runs `dialog` modally and saves how it looks once it is up.
bool shootModal(CDialog& dialog, const QString& path) {
    bool saved = false;
    QTimer::singleShot(0, [&] {
        saved = saveShot(*qt::DialogFrame::Of(dialog), path);
        dialog.EndDialog(IDCANCEL);
    });
    dialog.DoModal();
    return saved;
}

// The language dialog with the languages of the translation file.
bool shootLanguageDialog(CExportDlg& main, Shell& shell, const std::string& tag,
                         const QString& path) {
    CLanguageDlg dialog(shell, main.m_translator, &main);
    dialog.m_strLanguageTag = tag;
    dialog.m_strGroupCaption = main.m_translator.GetText(TextKey::LanguageGroup);
    return shootModal(dialog, path);
}

// The progress window as a long read shows it, with a count and a folder of its own.
bool shootProgress(CExportDlg& main, const QString& path) {
    ScanWatch watch;
    watch.found(123456);
    watch.noteFolder("/home/me/Pictures/2024/Holidays in the mountains/raw");
    CProgressDlg progress(watch, &main);
    progress.m_strReadingText = main.m_translator.GetText(TextKey::ProgressReading);
    progress.m_strFilesText = main.m_translator.GetText(TextKey::ProgressFiles);
    progress.m_strCancelText = main.m_translator.GetText(TextKey::ProgressCancel);
    progress.m_strLocale = localeForTag(main.m_translator.Tag());
    qt::DialogFrame frame(progress, qt::DialogFrame::Of(main));
    progress.OnInitDialog();
    frame.setWindowModality(Qt::ApplicationModal);
    frame.CentreOnOwner();
    frame.show();
    frame.GetDlgItem(IDCANCEL)->setFocus();
    return saveShot(frame, path);
}

} // namespace

// A sample folder for the list's columns, its files all changed on 2026/03/14 09:26.
bool makeSampleFolder(const QString& root) {
    const QDateTime changed(QDate(2026, 3, 14), QTime(9, 26));
    const std::pair<const char*, qint64> files[] = {
        {"notes.txt", 1234},
        {"annual-report-2025-final-version-as-sent-to-the-board.pdf", 482113},
        {"img/logo.png", 20480},
        {"img/photos/beach.jpg", 2345678},
        {"src/main.cpp", 4321},
    };
    for (const auto& [name, size] : files) {
        QFile file(root + '/' + name);
        if (!QDir(root).mkpath(QFileInfo(file).path()) || !file.open(QIODevice::WriteOnly) ||
            !file.resize(size) || !file.setFileTime(changed, QFileDevice::FileModificationTime)) {
            std::fprintf(stderr, "zentory-screenshots: cannot make %s\n",
                         qPrintable(file.fileName()));
            return false;
        }
    }
    return true;
}

// The main window grown beyond its template, after a read of `folder` with
// its sub-folders and the size and date columns.
bool shootColumns(Shell& shell, const QString& folder, const QString& path) {
    CExportDlg main(shell);
    qt::DialogFrame frame(main, nullptr);
    main.m_listOptions.columns.size = true;
    main.m_listOptions.columns.modified = true;
    main.m_strStartFolder = folder.toStdString();
    main.StartDialog();
    main.View()->CheckDlgButton(ids::Main::kSubFolders, 1);
    frame.show();
    frame.resize(frame.width() + 240, frame.height() + 60);
    main.OnShown();
    QApplication::processEvents();
    return saveShot(frame, path);
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    qt::QtToolkit toolkit;
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(outDir);

    // The language is chosen through a copy of the settings beside the program.
    QTemporaryDir work;
    const QString exeFolder = QString::fromStdString(platform::executableFolder());
    for (const char* name : {"config.ini", "zentorytrl.ini"}) {
        if (!QFile::copy(exeFolder + '/' + name, work.filePath(name))) {
            std::fprintf(stderr, "zentory-screenshots: %s is missing beside the program\n", name);
            return 1;
        }
    }
    platform::setExecutableFolderForTesting(work.path().toStdString());

    QTemporaryDir sample;
    bool ok = makeSampleFolder(sample.path());
    qt::QtShell shell;
    for (const auto& language : kLanguages) {
        CSettingsStore().WriteSetting("Language", language.tag);
        const QString suffix = QString::fromLatin1(language.suffix);
        CExportDlg main(shell);
        qt::DialogFrame frame(main, nullptr);
        main.OnInitDialog();
        frame.show();
        ok = saveShot(frame, outDir + "/main-" + suffix + ".png") && ok;
        ok = shootModal(main.m_optionsDlg, outDir + "/options-" + suffix + ".png") && ok;
        ok = shootLanguageDialog(main, shell, language.tag,
                                 outDir + "/language-" + suffix + ".png") &&
             ok;
        CListOptionsDlg listOptions(shell, main.m_translator, &main);
        ok = shootModal(listOptions, outDir + "/list-options-" + suffix + ".png") && ok;
        CAboutDlg about(&main);
        ok = shootModal(about, outDir + "/about-" + suffix + ".png") && ok;
        ok = shootProgress(main, outDir + "/progress-" + suffix + ".png") && ok;
        ok = shootColumns(shell, sample.path(), outDir + "/main-columns-" + suffix + ".png") && ok;
    }
    return ok ? 0 : 1;
}
