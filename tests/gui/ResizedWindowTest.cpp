// The main window grown by the person: the list takes the room, the buttons
// keep their distance to the bottom-right corner; and the list's columns after
// the names, their tips and the count in the title, through the real widgets.

#include "WindowTest.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>

#include <gtest/gtest.h>

using namespace zentory::test;

namespace {

class ResizedWindow : public WindowTest {
protected:
    // The distance of `control`'s bottom-right corner to that of its parent.
    static QSize toCorner(const QWidget* control) {
        const QRect inner = control->parentWidget()->rect();
        return {inner.right() - control->geometry().right(),
                inner.bottom() - control->geometry().bottom()};
    }
    void resizeBy(int dx, int dy) {
        dlg.resize(dlg.width() + dx, dlg.height() + dy);
        QApplication::sendPostedEvents();
        dlg.layout()->activate();
    }

    TreeDir tree{"a.txt", "img/a-name-long-enough-to-be-cut-by-its-column-in-the-list.png"};
};

TEST_F(ResizedWindow, TheListGrowsAndTheButtonsKeepToTheBottomRightCorner) {
    open([&] {
        const QSize smallest = dlg.size();
        const QRect list = dlg.m_listFiles->geometry();
        const QSize save = toCorner(dlg.m_btnSave);
        const QSize options = toCorner(dlg.m_btnOptions);
        const QPoint read = dlg.m_btnReadList->geometry().topRight();
        const QPoint box = dlg.m_chkSubFolders->pos();
        const QWidget* count = dlg.GetDlgItem(zentory::ids::Main::kFileCount);
        const QSize countToCorner = toCorner(count);

        resizeBy(200, 120);
        EXPECT_EQ(dlg.size(), smallest + QSize(200, 120));
        EXPECT_EQ(dlg.m_listFiles->geometry(), list.adjusted(0, 0, 200, 120));
        EXPECT_EQ(toCorner(dlg.m_btnSave), save);
        EXPECT_EQ(toCorner(dlg.m_btnOptions), options);
        EXPECT_EQ(dlg.m_btnReadList->geometry().topRight(), read + QPoint(200, 0));
        EXPECT_EQ(dlg.m_chkSubFolders->pos(), box);
        EXPECT_EQ(toCorner(count), countToCorner) << "the count stays below the list";
        EXPECT_EQ(dlg.m_grpStep2->width(), dlg.m_grpStep1->width());

        resizeBy(-400, -400);
        EXPECT_EQ(dlg.size(), smallest) << "the template's size is the smallest";
        EXPECT_EQ(dlg.m_listFiles->geometry(), list);
        EXPECT_TRUE(dlg.windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    });
}

TEST_F(ResizedWindow, ColumnsFollowTheNamesWithTheirWholeTextAsTip) {
    open([&] {
        dlg.m_listOptions.columns.size = true;
        readWithSubFolders(tree.path());
        const QAbstractItemModel* model = dlg.m_listFiles->model();
        ASSERT_EQ(model->columnCount(), 3);
        EXPECT_EQ(model->headerData(1, Qt::Horizontal).toString(), "Folder");
        EXPECT_EQ(model->headerData(2, Qt::Horizontal).toString(), "Size");
        EXPECT_EQ(model->index(1, 1).data().toString(), "img");
        EXPECT_EQ(model->index(1, 2).data().toString(), "0");
        EXPECT_EQ(model->index(1, 0).data(Qt::ToolTipRole).toString(),
                  "a-name-long-enough-to-be-cut-by-its-column-in-the-list.png");
        EXPECT_EQ(dlg.m_listFiles->header()->sectionResizeMode(1), QHeaderView::Interactive);
        const auto* count = dlg.DlgItem<QLabel>(zentory::ids::Main::kFileCount);
        ASSERT_NE(count, nullptr);
        EXPECT_EQ(count->text(), "2 files, 0 bytes");
        EXPECT_EQ(dlg.windowTitle(), "Orvane Zentory");

        // A person's widths stay over the next read with the same columns.
        dlg.m_listFiles->header()->resizeSection(1, 77);
        readWithSubFolders(tree.path());
        EXPECT_EQ(dlg.m_listFiles->header()->sectionSize(1), 77);
        EXPECT_EQ(dlg.m_listFiles->header()->sectionSize(0), 400);
    });
}

} // namespace
