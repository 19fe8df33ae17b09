// The main window's list beyond the names, on a recording view: the columns
// that a read and the list options ask for, their cells, the count of a read
// below the list, and how the controls follow a resized window.

#include "LogicWindow.h"

#include "Anchoring.h"
#include "ExportDlg.h"
#include "ResourceIds.h"
#include "export/TextExport.h"
#include "listing/FolderScan.h"

#include "ProgramFolder.h"
#include "TreeDir.h"

#include <gtest/gtest.h>

using namespace zentory;
using namespace zentory::test;
using window::Anchor;
using window::CDialog;
using window::Rect;
using Main = ids::Main;

namespace {

TEST(Anchoring, TheMainWindowsControlsKeepToTheCornersTheyLieNearest) {
    const Rect list{20, 72, 309, 68};
    struct Case {
        const char* control;
        Rect rect;
        Anchor x, y;
    };
    const Case cases[] = {
        {"intro above the list", {20, 20, 309, 18}, Anchor::Stretch, Anchor::Start},
        {"sub-folder box", {20, 43, 151, 12}, Anchor::Start, Anchor::Start},
        {"read button", {249, 39, 80, 15}, Anchor::End, Anchor::Start},
        {"folder label", {20, 59, 309, 9}, Anchor::Stretch, Anchor::Start},
        {"the list", list, Anchor::Stretch, Anchor::Stretch},
        {"hidden OK beside the list", {228, 99, 50, 14}, Anchor::End, Anchor::Start},
        {"step 1 group", {7, 7, 332, 138}, Anchor::Stretch, Anchor::Stretch},
        {"step 2 group", {7, 155, 332, 57}, Anchor::Stretch, Anchor::End},
        {"hint below the list", {20, 169, 309, 18}, Anchor::Stretch, Anchor::End},
        {"options button", {157, 191, 80, 15}, Anchor::End, Anchor::End},
        {"save button", {244, 191, 85, 15}, Anchor::End, Anchor::End},
        {"a button left below", {20, 191, 80, 15}, Anchor::Start, Anchor::End},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(window::AnchorsFor(c.rect, list), (window::Anchors{c.x, c.y})) << c.control;
    }
}

TEST(Anchoring, AGrownWindowGrowsTheListAndKeepsTheButtonsDistanceToTheCorner) {
    const window::AnchoredLayout layout({{20, 72, 309, 68}, {244, 191, 85, 15}, {20, 43, 151, 12}},
                                        0, 346, 219);
    EXPECT_EQ(layout.Place(0, 446, 269), (Rect{20, 72, 409, 118}));
    EXPECT_EQ(layout.Place(1, 446, 269), (Rect{344, 241, 85, 15}));
    EXPECT_EQ(layout.Place(2, 446, 269), (Rect{20, 43, 151, 12}));
    // Never smaller than the template.
    EXPECT_EQ(layout.Place(1, 300, 100), (Rect{244, 191, 85, 15}));
}

class MainWindowList : public ::testing::Test, protected LogicWindow {
protected:
    MainWindowList() {
        tree.add("b.txt", "12345");
        tree.add("img/logo.png", "ab");
    }

    void read(int subFolders) { LogicWindow::read(tree.path(), subFolders); }
    std::string count() { return view.texts[ids::Main::kFileCount]; }
    // The cells of the row whose name is `name`.
    std::vector<std::string> cellsOf(const std::string& name) const {
        std::vector<std::string> cells;
        for (size_t row = 0; row < dlg.m_fileList.size(); ++row) {
            if (dlg.m_fileList.name(row) == name) {
                for (size_t column = 1; column <= view.cellHeaders.size(); ++column) {
                    cells.push_back(view.listCells->CellText(row, column));
                }
            }
        }
        return cells;
    }

    TreeDir tree{"a.txt"};
};

TEST_F(MainWindowList, TheColumnsFollowTheReadAndTheListOptions) {
    EXPECT_TRUE(view.cellHeaders.empty()) << "at the start the name column alone";
    struct Case {
        int subFolders;
        int maxDepth;
        bool size, modified;
        std::vector<std::string> headers;
    };
    const Case cases[] = {
        {0, -1, false, false, {}},          {1, -1, false, false, {"Folder"}},
        {1, 0, false, false, {}},           {0, -1, true, false, {"Size"}},
        {0, -1, false, true, {"Modified"}}, {1, 2, true, true, {"Folder", "Size", "Modified"}},
    };
    for (const Case& c : cases) {
        dlg.m_listOptions.filter.maxDepth = c.maxDepth;
        dlg.m_listOptions.columns.size = c.size;
        dlg.m_listOptions.columns.modified = c.modified;
        read(c.subFolders);
        EXPECT_EQ(view.cellHeaders, c.headers) << c.subFolders << c.maxDepth << c.size;
        EXPECT_EQ(view.listCells, &dlg.m_listCells);
    }
}

TEST_F(MainWindowList, CellsShowWhatTheTextListWritesBesideEachName) {
    dlg.m_listOptions.columns.size = true;
    dlg.m_listOptions.columns.modified = true;
    read(1);
    ASSERT_EQ(view.cellHeaders, (std::vector<std::string>{"Folder", "Size", "Modified"}));
    const ExportRequest request{.files = dlg.m_fileList,
                                .folder = tree.path(),
                                .options = {},
                                .labels = {},
                                .exportedAt = {},
                                .columns = {.size = true, .modified = true},
                                .stats = &dlg.m_fileStats};
    const std::string text = composeExport(request);
    for (const auto& [folder, name] : {std::pair{"", "b.txt"}, std::pair{"img", "logo.png"}}) {
        const std::vector<std::string> cells = cellsOf(name);
        ASSERT_EQ(cells.size(), 3u) << name;
        EXPECT_EQ(cells[0], folder);
        const std::string line = std::string(name) + "\t" + cells[1] + "\t" + cells[2] + "\r\n";
        EXPECT_NE(text.find(line), std::string::npos) << line << " in\n" << text;
    }
    EXPECT_EQ(cellsOf("b.txt")[1], "5");
    EXPECT_EQ(view.listCells->CellText(dlg.m_fileList.size(), 1), "") << "no row there";
}

TEST_F(MainWindowList, TheCountBelowTheListCountsTheFilesOfEachReadThatEnded) {
    EXPECT_EQ(count(), "");
    read(1);
    EXPECT_EQ(count(), "3@en_US files");
    dlg.m_listOptions.columns.size = true;
    read(0);
    EXPECT_EQ(count(), "2@en_US files, 5@en_US bytes");
    dlg.m_listOptions.filter.include = {"b.txt"};
    read(0);
    EXPECT_EQ(count(), "1@en_US file, 5@en_US bytes");
    dlg.m_listOptions.filter.include.clear();

    toolkit.inProgress = [](CDialog& progress, RecordingView&) { progress.OnCancel(); };
    read(1);
    EXPECT_EQ(count(), "");
    toolkit.inProgress = nullptr;

    read(1);
    toolkit.person.push_back([](CDialog& language, RecordingView& v) {
        v.Choose(ids::Language::kLanguages, "Deutsch");
        language.OnOK();
    });
    dlg.OnCommand(ids::Menu::kLanguageSelection);
    EXPECT_EQ(count(), "3@de_DE Dateien, 7@de_DE Byte");
    EXPECT_EQ(view.cellHeaders, (std::vector<std::string>{"Ordner", "Größe"}));

    shell.folderAnswer.reset();
    dlg.OnCommand(Main::kReadFileList);
    EXPECT_EQ(count(), "") << "no folder chosen, nothing read";
}

} // namespace
