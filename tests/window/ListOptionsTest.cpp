// The list options dialog and the save dialog's types on a recording view: what
// the person sets shapes the list shown and the file saved, byte for byte as
// zentory-cli writes it with the same options.

#include "LogicWindow.h"

#include "CliSupport.h"
#include "ExportDlg.h"
#include "ListOptionsDlg.h"
#include "ResourceIds.h"
#include "platform/Clock.h"

#include "ProgramFolder.h"
#include "TextDiff.h"
#include "TreeDir.h"

#include <gtest/gtest.h>

using namespace zentory;
using namespace zentory::test;
using window::CDialog;
using window::CExportDlg;
using Main = ids::Main;
using Lists = ids::ListOptions;

namespace {

// What a person types and ticks in the list options dialog.
struct Choices {
    std::string include = {};
    std::string exclude = {};
    std::string depth = {};
    bool ignoreCase = false;
    bool noHidden = false;
    bool columns = false; // size, date and totals
};

class ListOptionsLogic : public ::testing::Test, protected LogicWindow {
protected:
    explicit ListOptionsLogic(const char* tag = "[1033]") : LogicWindow(tag) {
        tree.add("b.jpg", "12345");
        tree.add("Note.JPG", "x");
        tree.add("img/a.jpg", "1234567890");
        tree.add("img/.hidden.jpg", "12");
        tree.add("img/old/c.jpg", "123");
        tree.add("img/old/c.png", "1");
    }

    // Opens the dialog from the menu and fills it in; OK or Cancel.
    void setListOptions(const Choices& c, bool ok = true) {
        toolkit.person.push_back([this, c, ok](CDialog& d, RecordingView& v) {
            v.texts[Lists::kInclude] = c.include;
            v.texts[Lists::kExclude] = c.exclude;
            v.texts[Lists::kDepth] = c.depth;
            v.checks[Lists::kIgnoreCase] = c.ignoreCase;
            v.checks[Lists::kNoHidden] = c.noHidden;
            for (int id : {Lists::kSize, Lists::kModified, Lists::kTotals}) {
                v.checks[id] = c.columns;
            }
            ok ? d.OnOK() : d.OnCancel();
            ended = v.result.has_value();
        });
        dlg.OnCommand(ids::Menu::kListOptions);
    }
    void read(int subFolders = 1) { LogicWindow::read(tree.path(), subFolders); }
    std::string save(int type) {
        LogicWindow::save(out / "list", type);
        return readBytes(out / "list");
    }
    std::vector<std::string> shown() const {
        std::vector<std::string> names;
        for (size_t i = 0; i < dlg.m_fileList.size(); ++i) {
            names.push_back(dlg.m_fileList.path(i).substr(tree.path().size() + 1));
        }
        return names;
    }
    // What zentory-cli writes with `args`, beside the same data files.
    std::string cli(std::vector<std::string> args) const {
        CliCopy copy;
        for (const char* name : {"config.ini", "zentorytrl.ini"}) {
            copy.put(name, readBytes(program.file(name)));
        }
        args.push_back(tree.path());
        const Observed run = copy.run(args);
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out;
    }

    // Whether the last list options dialog ended with the person's OK or Cancel.
    bool ended = false;
    TreeDir tree;
    TreeDir out;
};

TEST_F(ListOptionsLogic, SavesEveryTypeAsTheCommandLineWithTheSameOptions) {
    struct Case {
        bool columns;
        int type;
        std::vector<std::string> cliArgs;
    };
    // Without columns, the tables take sizes and times at the save.
    const Case cases[] = {
        {true, 0, {"--size", "--modified", "--totals"}},
        {true, 1, {"--size", "--modified", "--totals", "--format", "csv"}},
        {true, 2, {"--size", "--modified", "--totals", "--format", "json"}},
        {false, 0, {}},
        {false, 1, {"--format", "csv"}},
        {false, 2, {"--format", "json"}},
        {true, 3, {"--size", "--modified", "--totals", "--format", "html"}},
        {true, 4, {"--size", "--modified", "--totals", "--format", "tree"}},
        {false, 3, {"--format", "html"}},
        {false, 4, {"--format", "tree"}},
    };
    dlg.m_optionsDlg.m_bShowDateTime = 0;
    dlg.m_optionsDlg.m_bOpenAfterSaving = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        setListOptions({.include = "*.jpg", .columns = c.columns});
        read();
        std::vector<std::string> args = {"-r", "-d", "--include", "*.jpg"};
        args.insert(args.end(), c.cliArgs.begin(), c.cliArgs.end());
        EXPECT_SAME_BYTES(save(c.type), cli(args));
    }
    EXPECT_EQ(shell.saveRequests.back().types,
              (std::vector<window::SaveType>{{"TXT files (*.txt)", "txt"},
                                             {"CSV files (*.csv)", "csv"},
                                             {"JSON files (*.json)", "json"},
                                             {"HTML page (*.html)", "html"},
                                             {"Tree (*.txt)", "txt"}}));
}

TEST_F(ListOptionsLogic, TheListShownFollowsTheFilterAtOnce) {
    struct Case {
        Choices choices;
        int subFolders;
        std::vector<std::string> listed;
    };
    const Case cases[] = {
        {{},
         1,
         {"Note.JPG", "b.jpg", "img/.hidden.jpg", "img/a.jpg", "img/old/c.jpg", "img/old/c.png"}},
        {{.include = " *.jpg ; *.png;"},
         1,
         {"b.jpg", "img/.hidden.jpg", "img/a.jpg", "img/old/c.jpg", "img/old/c.png"}},
        {{.include = "*.jpg", .ignoreCase = true, .noHidden = true},
         1,
         {"Note.JPG", "b.jpg", "img/a.jpg", "img/old/c.jpg"}},
        {{.exclude = "*.png;.*", .depth = "1"}, 1, {"Note.JPG", "b.jpg", "img/a.jpg"}},
        {{.depth = "0"}, 1, {"Note.JPG", "b.jpg"}},
        // The sub-folder box still decides whether sub-folders are read.
        {{.depth = "5"}, 0, {"Note.JPG", "b.jpg"}},
    };
    read();
    for (const Case& c : cases) {
        view.checks[Main::kSubFolders] = c.subFolders;
        setListOptions(c.choices);
        EXPECT_EQ(shown(), c.listed) << c.choices.include << " " << c.choices.depth;
        EXPECT_EQ(view.listFiles, &dlg.m_fileList);
    }
}

TEST_F(ListOptionsLogic, OnlyOkWithAValidDepthChangesTheOptions) {
    struct Case {
        std::string depth;
        bool ok;
        int maxDepth; // after the dialog
        bool message;
    };
    const Case cases[] = {
        {"2", false, -1, false}, {" 2 ", true, 2, false}, {"x", true, 2, true},
        {"-1", true, 2, true},   {"1.5", true, 2, true},  {"99999999999", true, 2, true},
        {"", true, -1, false},
    };
    for (const Case& c : cases) {
        shell.messages.clear();
        setListOptions({.include = c.ok ? "*.jpg" : "*.png", .depth = c.depth}, c.ok);
        EXPECT_EQ(dlg.m_listOptions.filter.maxDepth, c.maxDepth) << c.depth;
        EXPECT_EQ(ended, !c.message) << "a bad depth keeps the dialog open";
        ASSERT_EQ(shell.messages.size(), c.message ? 1u : 0u) << c.depth;
        if (c.message) {
            EXPECT_EQ(shell.messages[0].text, "The depth must be a whole number from 0 up, or "
                                              "empty for all sub-folders.");
        }
    }
    EXPECT_EQ(dlg.m_listOptions.filter.include, std::vector<std::string>{"*.jpg"});
}

TEST_F(ListOptionsLogic, ReopensWithTheConfirmedValues) {
    setListOptions({.include = "*.jpg;*.png",
                    .exclude = "a*",
                    .depth = "3",
                    .noHidden = true,
                    .columns = true});
    toolkit.person.push_back([](CDialog& d, RecordingView& v) {
        EXPECT_EQ(v.texts[Lists::kInclude], "*.jpg;*.png");
        EXPECT_EQ(v.texts[Lists::kExclude], "a*");
        EXPECT_EQ(v.texts[Lists::kDepth], "3");
        EXPECT_EQ(v.checks[Lists::kNoHidden], 1);
        EXPECT_EQ(v.checks[Lists::kIgnoreCase], 0);
        EXPECT_EQ(v.checks[Lists::kTotals], 1);
        EXPECT_EQ(v.texts[Lists::kIncludeLabel], "&Include names like (*.jpg;*.png):");
        d.OnCancel();
    });
    dlg.OnCommand(ids::Menu::kListOptions);
    EXPECT_TRUE(toolkit.person.empty());
    EXPECT_EQ(toolkit.dialogsRun, (std::vector<int>{Lists::kDialog, Lists::kDialog}));
}

class ListOptionsGerman : public ListOptionsLogic {
protected:
    ListOptionsGerman() : ListOptionsLogic("[1031]") {}
};

TEST_F(ListOptionsGerman, MenuDialogAndMessageSpeakTheInterfaceLanguage) {
    EXPECT_EQ(view.menuItems[ids::Menu::kListOptions], "&Listenoptionen...");
    toolkit.person.push_back([](CDialog& d, RecordingView& v) {
        EXPECT_EQ(v.texts[Lists::kColumnsGroup], "Gespeicherte Liste");
        EXPECT_EQ(v.texts[window::IDCANCEL], "Abbrechen");
        v.texts[Lists::kDepth] = "eins";
        d.OnOK();
    });
    dlg.OnCommand(ids::Menu::kListOptions);
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_EQ(shell.messages[0].text,
              "Die Tiefe muss eine ganze Zahl ab 0 sein, oder leer für alle Unterordner.");
}

TEST(ListOptionsCatalogue, EveryShippedLanguageHasEveryText) {
    for (const char* tag : {"[1033]", "[1031]", "[1036]"}) {
        ProgramFolder program(tag);
        CTranslator catalogue;
        catalogue.Load();
        for (int key = static_cast<int>(TextKey::ListOptionsFilesGroup);
             key <= static_cast<int>(TextKey::MenuListOptions); ++key) {
            EXPECT_FALSE(catalogue.GetText(key).empty()) << tag << " " << key;
        }
    }
}

} // namespace
