// The window under load: a tree of 200,000 files read, exported, the language
// changed twice and exported again, each export equal to what the core
// composes for the same folder and options.

#include "RamDir.h"
#include "WindowTest.h"

#include "export/TextExport.h"
#include "listing/FolderScan.h"
#include "platform/Clock.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTreeView>

#include <gtest/gtest.h>

#include <filesystem>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zentory::test;

namespace {

constexpr int kFolders = 400;
constexpr int kFilesPerFolder = 500;

// kFolders folders of kFilesPerFolder empty files each, the first folder being
// the tree itself.
void makeTree(const std::string& root) {
    for (int d = 0; d < kFolders; ++d) {
        std::string folder = root;
        if (d > 0) {
            folder += "/dir" + std::to_string(d % 20) + "/sub" + std::to_string(d);
            std::filesystem::create_directories(folder);
        }
        const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ASSERT_GE(dir, 0) << folder;
        for (int f = 0; f < kFilesPerFolder; ++f) {
            const std::string name = "file" + std::to_string(f) + ".dat";
            ASSERT_EQ(::mknodat(dir, name.c_str(), S_IFREG | 0644, 0), 0) << folder << '/' << name;
        }
        ::close(dir);
    }
}

class WindowUnderLoad : public WindowTest {
protected:
    WindowUnderLoad() { zentory::platform::setClockForTesting({{2024, 2, 29, 23, 59}}); }
    ~WindowUnderLoad() override { zentory::platform::setClockForTesting(std::nullopt); }

    std::string composed(const zentory::FileList& files, const char* text38,
                         const char* text40) const {
        return zentory::composeExport({files,
                                       treePath(),
                                       zentory::ExportOptions{},
                                       {text38, text40},
                                       zentory::platform::LocalTime{2024, 2, 29, 23, 59}});
    }

    std::string treePath() const { return treeDir.path(); }

    RamDir treeDir; // creating 200,000 files on a busy journalled disk can take a minute
    TempDir out;
};

TEST_F(WindowUnderLoad, ReadsExportsAndChangesLanguageTwiceOnATreeOf200000Files) {
    makeTree(treePath());
    const auto files = zentory::ScanFolder(treePath(), zentory::ScanOptions::all(true)).files;
    ASSERT_EQ(files.size(), size_t{kFolders} * kFilesPerFolder);

    runModal(dlg, [&] {
        readWithSubFolders(treePath());
        EXPECT_EQ(dlg.m_listFiles->model()->rowCount(), kFolders * kFilesPerFolder);
        // The view paints its first screenful of the long list.
        dlg.m_listFiles->viewport()->repaint();

        const std::string english = exportTo(out / "en.txt");
        EXPECT_SAME_BYTES(english, composed(files, "Contents of", "Folder"));

        choose("Deutsch");
        choose("Français");
        EXPECT_EQ(dlg.m_listFiles->model()->rowCount(), kFolders * kFilesPerFolder);
        const std::string french = exportTo(out / "fr.txt");
        EXPECT_SAME_BYTES(french, composed(files, "Contenu de", "Dossier"));
        EXPECT_EQ(french.size(), english.size() + (kFolders - 1) - 1u)
            << "one byte less in the title, one more in each heading";
        QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    EXPECT_TRUE(shell.fileErrors.empty());
    EXPECT_EQ(shell.messages.size(), 2u);
    EXPECT_EQ(zentory::CSettingsStore().ReadSetting("Language"), "[1036]");
}

} // namespace
