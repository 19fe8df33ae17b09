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
        EXPECT_EQ(list->text(QAccessible::Name), QString::fromStdString(folder + "/..."));
        EXPECT_EQ(list->text(QAccessible::Description), "Files in the list: 2");

        // The window's controls as assistive technology lists them: no hidden ones.
        QAccessibleInterface* area = list->parent();
        std::vector<QObject*> children;
        for (int i = 0; i < area->childCount(); ++i) {
            children.push_back(area->child(i)->object());
        }
        EXPECT_EQ(area->indexOfChild(list),
                  std::find(children.begin(), children.end(), dlg.m_listFiles) - children.begin());
        for (int hidden : {zentory::window::IDOK, zentory::window::IDCANCEL}) {
            EXPECT_EQ(std::count(children.begin(), children.end(), dlg.GetDlgItem(hidden)), 0);
        }
        EXPECT_EQ(std::count(children.begin(), children.end(), dlg.m_btnOptions), 1);
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
