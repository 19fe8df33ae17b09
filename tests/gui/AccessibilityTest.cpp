// The window as assistive technology and the eye see it: a "&" in a folder's
// name, the list known by its label and its number of files, the dialogs by
// their own names, and no hidden control among the window's.

#include "WindowTest.h"

#include "ResourceIds.h"
#include "ui/ElidingLabel.h"

#include <QAccessible>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace zentory::test;
using zentory::ids::Main;
using zentory::qt::ElidingLabel;

namespace {

class WindowAccessibility : public WindowTest {
protected:
    ElidingLabel* label() const { return dlg.DlgItem<ElidingLabel>(Main::kFolderLabel); }
    static QString nameOf(QObject* object) {
        return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
    }

    // A path too long for the label, so that it is shortened and has a tooltip.
    TreeDir tree;
    const std::string folder = tree / (std::string(120, 'x') + "/R&D");
};

TEST_F(WindowAccessibility, AnAmpersandShowsAsItselfInLabelTooltipAndList) {
    tree.add(std::string(120, 'x') + "/R&D/a&b.txt", "");
    dlg.m_strStartFolder = folder;
    const QString shown = QString::fromStdString(folder + "/...");
    open([&] {
        ASSERT_TRUE(QTest::qWaitFor([&] { return label()->fullText() == shown; }));
        EXPECT_TRUE(label()->text().endsWith("/R&D/...")) << label()->text().toStdString();
        EXPECT_EQ(label()->toolTip(), shown);
        EXPECT_EQ(dlg.m_listFiles->model()->index(0, 0).data().toString(), "a&b.txt");
    });
    EXPECT_EQ(dlg.m_strChosenFolder, folder) << "the export names the folder as it is";
}

TEST_F(WindowAccessibility, TheListIsATableNamedByItsLabelThatTellsItsFiles) {
    tree.add(std::string(120, 'x') + "/R&D/a.txt", "");
    tree.add(std::string(120, 'x') + "/R&D/b.txt", "");
    dlg.m_strStartFolder = folder;
    open([&] {
        ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.m_listFiles->model()->rowCount() == 2; }));
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(dlg.m_listFiles);
        EXPECT_EQ(list->role(), QAccessible::Table);
        EXPECT_EQ(list->text(QAccessible::Name), QString::fromStdString(folder));
        EXPECT_EQ(list->text(QAccessible::Description), "Files in the list: 2");
        // Its cells are read, header row first, and offer no action of their own.
        QAccessibleTableInterface* table = list->tableInterface();
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->rowCount(), 2);
        QAccessibleInterface* cell = table->cellAt(1, 0);
        ASSERT_NE(cell, nullptr);
        EXPECT_EQ(cell->text(QAccessible::Name), "b.txt");
        EXPECT_EQ(cell->role(), QAccessible::Cell);
        EXPECT_EQ(cell->actionInterface(), nullptr) << "no Toggle";
        EXPECT_EQ(list->indexOfChild(cell), 2 * table->columnCount());
        EXPECT_EQ(list->child(0)->text(QAccessible::Name), "File name");
        dlg.m_listFiles->selectRow(1);
        EXPECT_TRUE(cell->state().selected);
        EXPECT_EQ(table->selectedRows(), QList<int>{1});

        // The window's controls as assistive technology lists them: in reading
        // order, each step's inside its group, no hidden ones.
        auto children = [](QAccessibleInterface* parent) {
            std::vector<QObject*> objects;
            for (int i = 0; i < parent->childCount(); ++i) {
                objects.push_back(parent->child(i)->object());
                EXPECT_EQ(parent->indexOfChild(parent->child(i)), i);
            }
            return objects;
        };
        QAccessibleInterface* step1 = list->parent();
        EXPECT_EQ(step1->role(), QAccessible::Grouping);
        EXPECT_EQ(step1->text(QAccessible::Name), "Step 1");
        EXPECT_EQ(children(step1),
                  (std::vector<QObject*>{dlg.GetDlgItem(Main::kIntro), dlg.m_chkSubFolders,
                                         dlg.m_btnReadList, label(), dlg.m_listFiles}));
        QAccessibleInterface* area = step1->parent();
        QAccessibleInterface* step2 =
            QAccessible::queryAccessibleInterface(dlg.GetDlgItem(Main::kStep2));
        EXPECT_EQ(children(area), (std::vector<QObject*>{dlg.GetDlgItem(Main::kStep1),
                                                         dlg.GetDlgItem(Main::kFileCount),
                                                         dlg.GetDlgItem(Main::kStep2)}));
        EXPECT_EQ(children(step2),
                  (std::vector<QObject*>{dlg.GetDlgItem(Main::kStep2Hint), dlg.m_btnOptions,
                                         dlg.GetDlgItem(Main::kSaveTxtFile)}));
    });
}

TEST_F(WindowAccessibility, DialogsAreKnownByTheirOwnNames) {
    QString options;
    open([&] {
        EXPECT_EQ(nameOf(&dlg), "Orvane Zentory");
        whenModalOpens([&](QWidget* modal) {
            options = nameOf(modal);
            dlg.m_optionsDlg.EndDialog(zentory::window::IDCANCEL);
        });
        dlg.m_btnOptions->click();
    });
    EXPECT_EQ(options, "Options");
}

} // namespace
