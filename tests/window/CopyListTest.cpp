// Copying from the main window's list, on a recording view and shell: the
// rows chosen, or the whole list as it would be saved, as names or full paths.

#include "LogicWindow.h"

#include "ListCopy.h"
#include "ResourceIds.h"

#include "Files.h"
#include "TreeDir.h"

#include <gtest/gtest.h>

using namespace zentory;
using namespace zentory::test;
using Main = ids::Main;

namespace {

class CopyList : public ::testing::Test, protected LogicWindow {
protected:
    // What a saved list holds, with the platform's line ends.
    std::string saved(int fullPath) {
        dlg.m_optionsDlg.m_bShowFullPath = fullPath;
        dlg.m_optionsDlg.m_bOpenAfterSaving = 0;
        save(out / "list.txt");
        dlg.m_optionsDlg.m_bShowFullPath = 0;
        return window::PlatformLines(readBytes(out / "list.txt"));
    }

    TreeDir tree{"a.txt", "b\x01.txt", "img/logo.png"};
    TreeDir out;
};

TEST_F(CopyList, TheRowsChosenOrTheWholeListAsSavedGoOntoTheClipboard) {
    read(tree.path());
    ASSERT_EQ(dlg.m_fileList.size(), 3u);
    dlg.m_optionsDlg.m_bShowDateTime = 0; // a list without the minute it was made
    const std::string nl(window::kLineEnd);
    const std::string img = tree.path() + kPathSeparator + "img" + kPathSeparator;
    struct Case {
        std::vector<size_t> rows;
        int command;
        std::string copied; // "" for the saved list
        int fullPath = 0;
    };
    const Case cases[] = {
        {{0, 2}, ids::Menu::kCopyList, "a.txt" + nl + "logo.png" + nl},
        {{1}, ids::ListMenu::kCopyNames, "b?.txt" + nl},
        {{2}, ids::ListMenu::kCopyFullPaths, img + "logo.png" + nl},
        {{}, ids::Menu::kCopyList, ""},
        {{}, ids::ListMenu::kCopyNames, ""},
        {{}, ids::ListMenu::kCopyFullPaths, "", 1},
    };
    for (const Case& c : cases) {
        view.selection = c.rows;
        shell.copied.clear();
        dlg.OnCommand(c.command);
        ASSERT_EQ(shell.copied.size(), 1u) << c.command;
        view.selection.clear();
        EXPECT_EQ(shell.copied[0], c.copied.empty() ? saved(c.fullPath) : c.copied) << c.command;
    }
    // The saved list's CR LF become the platform's line ends.
    EXPECT_EQ(window::PlatformLines("a\r\nb\r\n\r\nc"), "a" + nl + "b" + nl + nl + "c");
}

TEST_F(CopyList, NothingReadIsNothingToCopy) {
    dlg.OnCommand(ids::Menu::kCopyList);
    EXPECT_TRUE(shell.copied.empty());
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text,
              "There is nothing to export yet. Please read a file list first.");
}

TEST_F(CopyList, TheMenuAndTheListsMenuSpeakTheInterfaceLanguage) {
    toolkit.person.push_back([](window::CDialog& language, RecordingView& v) {
        v.Choose(ids::Language::kLanguages, "Français");
        language.OnOK();
    });
    dlg.OnCommand(ids::Menu::kLanguageSelection);
    EXPECT_EQ(view.menuItems[ids::Menu::kCopyList], "&Copier la liste");
    EXPECT_EQ(view.menuItems[ids::ListMenu::kCopyNames], "Copier les &noms");
    EXPECT_EQ(view.menuItems[ids::ListMenu::kCopyFullPaths], "Copier les &chemins complets");
    EXPECT_EQ(dlg.ListContextMenu(), ids::ListMenu::kMenu);
}

} // namespace
