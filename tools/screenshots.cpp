// zentory-screenshots: renders the main window, the options dialog, the
// language dialog, the About box and the progress window of a long read to PNG
// files, once per shipped language, through the real dialogs. Run it without a display:
//   QT_QPA_PLATFORM=offscreen zentory-screenshots OUTPUT-FOLDER

#include "ResourceIds.h"
#include "app/ExportDlg.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/ProgressDlg.h"
#include "i18n/LanguageList.h"
#include "platform/ExecutablePath.h"
#include "ui/QtShell.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>

using namespace zentory;

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
bool shootModal(ui::TemplateDialog& dialog, const QString& path) {
    bool saved = false;
    QTimer::singleShot(0, &dialog, [&] {
        saved = saveShot(dialog, path);
        dialog.EndDialog(ui::IDCANCEL);
    });
    dialog.DoModal();
    return saved;
}

// The language dialog's frame with the languages of the translation file.
bool shootLanguageDialog(const CExportDlg& main, const std::string& tag, const QString& path) {
    ui::TemplateDialog dialog(ids::Language::kDialog);
    ui::setControlText(dialog.GetDlgItem(ids::Language::kGroup),
                       main.m_translator.GetText(TextKey::LanguageGroup));
    auto* combo = dialog.DlgItem<QComboBox>(ids::Language::kLanguages);
    const auto languages = readLanguageList(main.m_settings);
    for (const auto& language : languages) {
        ui::addComboString(combo, ui::fromBytes(language.name));
    }
    std::string selection = selectionForTag(languages, tag);
    ui::DataExchange(false).CBString(combo, selection);
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
    progress.m_strLocale = LocaleForTag(main.m_translator.Tag());
    progress.Start();
    const bool saved = saveShot(progress, path);
    progress.hide();
    return saved;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
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

    bool ok = true;
    ui::QtShell shell;
    for (const auto& language : kLanguages) {
        CSettingsStore().WriteSetting("Language", language.tag);
        const QString suffix = QString::fromLatin1(language.suffix);
        CExportDlg main(shell);
        main.OnInitDialog();
        main.show();
        ok = saveShot(main, outDir + "/main-" + suffix + ".png") && ok;
        ok = shootModal(main.m_optionsDlg, outDir + "/options-" + suffix + ".png") && ok;
        ok = shootLanguageDialog(main, language.tag, outDir + "/language-" + suffix + ".png") && ok;
        CAboutDlg about(&main);
        ok = shootModal(about, outDir + "/about-" + suffix + ".png") && ok;
        ok = shootProgress(main, outDir + "/progress-" + suffix + ".png") && ok;
    }
    return ok ? 0 : 1;
}
