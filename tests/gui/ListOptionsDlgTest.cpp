// The list options dialog in the Qt window: opened from the File menu with
// every control of its template, typed into like any dialog, and the list
// shown following what OK confirmed.

#include "WindowTest.h"

#include "ResourceIds.h"
#include "ui/DialogFrame.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace zentory;
using namespace zentory::test;
using Lists = ids::ListOptions;

namespace {

class ListOptionsDialog : public WindowTest {
protected:
    // In the open main window: chooses File > List options and runs `inDialog` in it.
    void openListOptions(const std::function<void(qt::DialogFrame&)>& inDialog) {
        whenModalOpens([&](QWidget* modal) {
            auto* frame = qobject_cast<qt::DialogFrame*>(modal);
            ASSERT_NE(frame, nullptr);
            inDialog(*frame);
            if (frame->isVisible()) {
                ADD_FAILURE() << "the list options dialog was left open";
                QTest::keyClick(frame, Qt::Key_Escape);
            }
        });
        dlg.MenuCommand(ids::Menu::kListOptions)->trigger();
    }

    TreeDir tree{"a.jpg", "b.txt", "img/c.jpg"};
};

TEST_F(ListOptionsDialog, OpensFromTheMenuWithItsControlsAndShapesTheList) {
    open([&] {
        EXPECT_EQ(dlg.MenuCommand(ids::Menu::kListOptions)->text(), "List &options...");
        readWithSubFolders(tree.path());
        openListOptions([&](qt::DialogFrame& frame) {
            for (int id : {Lists::kInclude, Lists::kExclude, Lists::kDepth}) {
                EXPECT_NE(frame.DlgItem<QLineEdit>(id), nullptr) << id;
            }
            for (int id : {Lists::kIgnoreCase, Lists::kNoHidden, Lists::kSize, Lists::kModified,
                           Lists::kTotals}) {
                EXPECT_NE(frame.DlgItem<QCheckBox>(id), nullptr) << id;
            }
            ASSERT_NE(frame.DlgItem<QGroupBox>(Lists::kColumnsGroup), nullptr);
            EXPECT_EQ(frame.DlgItem<QGroupBox>(Lists::kColumnsGroup)->title(), "Saved list");
            // Each field's label shows its letter, names it, and Alt with
            // the letter moves there.
            struct Field {
                int label, field;
                Qt::Key key;
                const char* name;
            };
            const Field fields[] = {
                {Lists::kIncludeLabel, Lists::kInclude, Qt::Key_I,
                 "Include names like (*.jpg;*.png):"},
                {Lists::kExcludeLabel, Lists::kExclude, Qt::Key_X, "Exclude names like:"},
                {Lists::kDepthLabel, Lists::kDepth, Qt::Key_P, "Sub-folder depth (empty: all):"},
            };
            for (const Field& f : fields) {
                auto* label = frame.DlgItem<QLabel>(f.label);
                auto* field = frame.DlgItem<QLineEdit>(f.field);
                EXPECT_EQ(label->buddy(), field) << f.name;
                EXPECT_EQ(field->accessibleName(), f.name);
                QTest::keyClick(&frame, f.key, Qt::AltModifier);
                EXPECT_TRUE(field->hasFocus()) << f.name;
                EXPECT_EQ(field->text(), "") << "the letter is not typed";
            }
            EXPECT_EQ(frame.DlgItem<QLabel>(Lists::kDepthLabel)->text(),
                      "Sub-folder de&pth (empty: all):");

            auto* include = frame.DlgItem<QLineEdit>(Lists::kInclude);
            QTest::keyClicks(include, "*.jpg");
            QTest::keyClicks(frame.DlgItem<QLineEdit>(Lists::kDepth), "x");
            frame.DlgItem<QPushButton>(window::IDOK)->click();
            EXPECT_TRUE(frame.isVisible()) << "a depth that is no number keeps it open";
            ASSERT_EQ(shell.messages.size(), 1u);

            frame.DlgItem<QLineEdit>(Lists::kDepth)->clear();
            QTest::keyClick(include, Qt::Key_Return);
            EXPECT_FALSE(frame.isVisible());
        });
        EXPECT_EQ(dlg.m_listOptions.filter.include, std::vector<std::string>{"*.jpg"});
        EXPECT_EQ(dlg.m_fileList.size(), 2u) << "the folder is read again with the filter";
    });
}

} // namespace
