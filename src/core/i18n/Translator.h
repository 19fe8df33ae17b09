#pragma once
// The translation catalogue: resolves the interface language, reads that
// language's section of the translation file beside the executable, and answers
// lookups by integer key.
//
// The file: a section opens with its tag line ("[1033]") and closes at the first
// line "[EOL]" after it. Entry lines hold a five-digit key (read with
// ParseDecimal), one separator byte and the text; lines of four bytes or fewer
// are skipped. A section without "[EOL]" runs on to the end of the file.

#include "i18n/SettingsStore.h"

#include <string>
#include <vector>

namespace zentory {

// The keys of the texts the program looks up.
enum class TextKey : int {
    LanguageGroup = 1,
    MessageCaption = 5,
    Step1 = 10,
    Step2 = 12,
    Intro = 14,
    SubFolders = 16,
    ReadFileList = 18,
    FolderLabel = 20,
    Step2Hint = 22,
    Options = 24,
    SaveTxtFile = 26,
    ListColumn = 30,
    BrowseTitle = 32,
    NothingToExport = 34,
    SaveFileName = 36,
    ExportTitle = 38,
    ExportHeading = 40,
    ExportSaved = 42,
    OptionsGroup = 50,
    OptionsFullPath = 52,
    OptionsExtensions = 54,
    OptionsDateTime = 56,
    OptionsOpenAfterSaving = 58,
    OptionsCancel = 60,
    // The file-error box: one sentence per operation, %1 being the file
    // (FileErrorOther: %2 the operation, as the program names it).
    FileErrorOpen = 70,
    FileErrorRead = 72,
    FileErrorCreate = 74,
    FileErrorWrite = 76,
    FileErrorClose = 78,
    FileErrorReplace = 80,
    FileErrorOther = 82,
    // The same for a folder: one that cannot be made, one that takes no new file.
    FileErrorCreateFolder = 84,
    FileErrorCreateIn = 86,
    // The progress window of a long read.
    ProgressReading = 90,
    ProgressFiles = 92,
    ProgressCancel = 94,
    // A folder named at start or dropped that is missing or no folder: %1 the path.
    FolderCannotBeRead = 96,
    // What assistive technology says of the list after a read: %1 the number of files.
    FilesInList = 98,
    // A read that could not open some folders for lack of open files or
    // memory, and so made no list: %1 a blank line and the folders, one a line.
    FoldersLostForResources = 100,
    MenuFile = 200,
    MenuLanguageSelection = 217,
    MenuExit = 220,
    MenuHelp = 245,
    MenuShowHelpFile = 250,
    MenuGoToWebsite = 255,
    MenuAbout = 260,
    // The main window's count after a read: %1 the files, %2 their bytes.
    ListCount = 330,
    ListCountBytes = 331,
    // The list's columns after the file name.
    ListFolderColumn = 332,
    ListSizeColumn = 333,
    ListModifiedColumn = 334,
    // The count when the read found exactly one file.
    ListCountOne = 335,
    ListCountBytesOne = 336,
    // The list options dialog and its menu item.
    ListOptionsFilesGroup = 300,
    ListOptionsInclude = 301,
    ListOptionsExclude = 302,
    ListOptionsIgnoreCase = 303,
    ListOptionsNoHidden = 304,
    ListOptionsDepth = 305,
    ListOptionsColumnsGroup = 306,
    ListOptionsSize = 307,
    ListOptionsModified = 308,
    ListOptionsTotals = 309,
    ListOptionsCancel = 310,
    ListOptionsBadDepth = 311,
    MenuListOptions = 312,
    // The names by which assistive technology announces the dialogs whose
    // caption is only the program's name.
    OptionsDialogName = 340,
    AboutDialogName = 342,
    ProgressDialogName = 344,
    // The HTML page and the tree: what stands between groups of three digits,
    // and the tree's closing line, %1 the folders and %2 the files.
    DigitGroup = 350,
    TreeClosing = 351,
    TreeClosingOneFile = 352,
    TreeClosingOneFolder = 353,
    TreeClosingOneEach = 354,
};

struct TranslationEntry {
    int m_nKey = 0;
    std::string m_strText;
};

class CTranslator {
public:
    // Resolves the language and replaces the entries by those of its section.
    // Throws platform::FileError when config.ini or the translation file cannot
    // be opened; the entries held before are then kept.
    void Load();
    // The text of the first entry with `key`, in file order; "" when none has it.
    std::string GetText(int key) const;
    std::string GetText(TextKey key) const { return GetText(static_cast<int>(key)); }

    // The tag that Load would read: "Language", with "[----]" resolved through
    // the system language, "Dialects[1031]" and the fall-back "[1033]".
    std::string ResolveTag();

    const std::vector<TranslationEntry>& Entries() const { return m_entries; }
    // The tag of the section the last Load read; empty before.
    const std::string& Tag() const { return m_tag; }

    CSettingsStore m_settings;

private:
    std::vector<TranslationEntry> m_entries;
    std::string m_tag;
};

// The locale of a language tag, the tag's number being a Windows language
// identifier: "[1031]" gives "de_DE", "[1036]" "fr_FR". The empty text for a
// tag without a number that names a language.
std::string localeForTag(const std::string& tag);

// The entries of the section opened by the line `tag` in `lines`.
std::vector<TranslationEntry> parseSection(const std::vector<std::string>& lines,
                                           const std::string& tag);

} // namespace zentory
