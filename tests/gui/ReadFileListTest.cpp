// "Read File List": the folder browser, the label above the list, the check
// box read at each press, and the names in byte order of their paths.

#include "WindowTest.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeView>

#include <gtest/gtest.h>

using namespace zentory::test;

namespace {

class ReadFileList : public WindowTest {
protected:
    QStringList shownNames() const {
        QStringList names;
        const QAbstractItemModel* model = dlg.m_listFiles->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            names << model->index(row, 0).data().toString();
        }
        return names;
    }
    QString label() const { return dlg.DlgItem<QLabel>(1006)->text(); }

    // In byte order "B.txt" < "B/" < "Zeta.doc" < "a.txt" < "b/" < "img/".
    TreeDir tree{"a.txt",        "B.txt",        "B/x.txt",       "Zeta.doc",
                 "b/c/deep.txt", "img/logo.png", "img/old/a.txt", "empty/"};
};

TEST_F(ReadFileList, WithSubFoldersListsEveryFileByNameInPathOrder) {
    open([&] {
        dlg.m_chkSubFolders->setChecked(true);
        read(tree.path());
        EXPECT_EQ(shownNames(), QStringList({"B.txt", "x.txt", "Zeta.doc", "a.txt", "deep.txt",
                                             "logo.png", "a.txt"}));
        EXPECT_EQ(label(), QString::fromStdString(tree.path()) + "/...");
    });
    EXPECT_EQ(shell.browseTitles,
              std::vector<std::string>{"Please select the folder you want to export:"});
    ASSERT_EQ(dlg.m_fileList.size(), 7u);
    EXPECT_EQ(dlg.m_fileList.entry(1), tree / "B/x.txt\n");
    EXPECT_EQ(dlg.m_fileList.entry(6), tree / "img/old/a.txt\n");
    EXPECT_EQ(dlg.m_strChosenFolder, tree.path());
}

TEST_F(ReadFileList, WithoutSubFoldersListsOnlyTheFolderItself) {
    open([&] {
        read(tree.path());
        EXPECT_EQ(shownNames(), QStringList({"B.txt", "Zeta.doc", "a.txt"}));
    });
}

TEST_F(ReadFileList, AnEmptyFolderShowsItsLabelAndNoNames) {
    open([&] {
        dlg.m_chkSubFolders->setChecked(true);
        read(tree / "empty");
        EXPECT_EQ(label(), QString::fromStdString(tree / "empty") + "/...");
        EXPECT_TRUE(shownNames().isEmpty());
    });
}

TEST_F(ReadFileList, ACancelledBrowserAfterAReadEmptiesEverything) {
    open([&] {
        read(tree.path());
        ASSERT_EQ(shownNames().size(), 3);
        read(std::nullopt);
        EXPECT_EQ(label(), "");
        EXPECT_TRUE(shownNames().isEmpty());
    });
    EXPECT_TRUE(dlg.m_fileList.empty());
    EXPECT_EQ(dlg.m_strFolderLabel, "");
    EXPECT_EQ(dlg.m_strChosenFolder, "");
}

TEST_F(ReadFileList, AChoiceWithoutAPathCountsAsCancelled) {
    open([&] {
        read(tree.path());
        read(std::string());
        EXPECT_EQ(label(), "");
        EXPECT_TRUE(shownNames().isEmpty());
    });
}

TEST_F(ReadFileList, TheCheckBoxTakesEffectAtTheNextPressOnly) {
    open([&] {
        read(tree.path());
        dlg.m_chkSubFolders->setChecked(true);
        EXPECT_EQ(shownNames().size(), 3) << "ticking the box reads nothing";
        read(tree.path());
        EXPECT_EQ(shownNames().size(), 7);
        dlg.m_chkSubFolders->setChecked(false);
        read(tree.path());
        EXPECT_EQ(shownNames().size(), 3);
    });
}

TEST_F(ReadFileList, ShowsTheBusyCursorWhileTheListIsFilledAndRestoresIt) {
    std::vector<Qt::CursorShape> seen;
    auto note = [&] {
        const QCursor* cursor = QApplication::overrideCursor();
        seen.push_back(cursor != nullptr ? cursor->shape() : Qt::ArrowCursor);
    };
    open([&] {
        QObject::connect(dlg.m_listFiles->model(), &QAbstractItemModel::modelAboutToBeReset, note);
        read(tree.path());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        read(std::nullopt);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    });
    EXPECT_EQ(seen, std::vector<Qt::CursorShape>(4, Qt::WaitCursor));
}

TEST_F(ReadFileList, AFolderThatCannotBeReadListsNothingAndSaysNothing) {
    open([&] {
        read(tree / "missing");
        EXPECT_EQ(label(), QString::fromStdString(tree / "missing") + "/...");
        EXPECT_TRUE(shownNames().isEmpty());
    });
    EXPECT_TRUE(shell.fileErrors.empty());
    EXPECT_TRUE(shell.messages.empty());
}

TEST_F(ReadFileList, ALongPathIsShortenedInTheMiddleAndWhollyInTheTooltip) {
    const std::string deep = std::string(60, 'a') + "/" + std::string(60, 'b') + "/end-folder";
    makeFiles(tree.path(), {deep + "/"});
    open([&] {
        const auto* shown = dlg.DlgItem<QLabel>(1006);
        read(tree / deep);
        const QString full = QString::fromStdString(tree / deep) + "/...";
        const QString text = label();
        EXPECT_NE(text, full);
        EXPECT_TRUE(text.contains(QChar(0x2026))) << text.toStdString();
        EXPECT_TRUE(text.startsWith(QString::fromStdString(tree.path()).left(4)));
        EXPECT_TRUE(text.endsWith("/end-folder/...")) << text.toStdString();
        EXPECT_LE(shown->fontMetrics().horizontalAdvance(text), shown->contentsRect().width());
        EXPECT_EQ(shown->toolTip(), full);
        // What the window keeps is the whole label, whatever is shown of it.
        EXPECT_EQ(dlg.m_strFolderLabel, full.toStdString());

        read(tree.path());
        EXPECT_EQ(label(), QString::fromStdString(tree.path()) + "/...");
        EXPECT_EQ(shown->toolTip(), "");
    });
}

} // namespace
