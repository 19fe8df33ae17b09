// The list view's model over the file list: names only, one optional column,
// and a million entries shown without building a million items.

#include "ui/FileListModel.h"

#include "Process.h"

#include <QElapsedTimer>
#include <QHeaderView>
#include <QTreeView>

#include <gtest/gtest.h>

using zentory::FileList;
using zentory::qt::FileListModel;
using zentory::test::kGenerousSeconds;

namespace {

TEST(FileListModel, ShowsTheNamesOfTheEntriesBytesDecodedAtTheEnd) {
    FileList list;
    list.append("/data", "a.txt");
    list.append("/data/sub dir", "b c.jpg");
    list.append("/data", "caf\xc3\xa9");
    FileListModel model(list);
    model.InsertColumn("File name");
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.index(1, 0).data().toString(), "b c.jpg");
    EXPECT_EQ(model.index(2, 0).data().toString(), QString::fromUtf8("café"));
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "File name");
}

TEST(FileListModel, RowsFollowTheListOnlyAfterAReset) {
    FileList list;
    FileListModel model(list);
    list.append("/d", "x");
    EXPECT_EQ(model.rowCount(), 0);
    model.reset();
    EXPECT_EQ(model.rowCount(), 1);
    list.clear();
    model.reset();
    EXPECT_EQ(model.rowCount(), 0);
}

TEST(FileListModel, ColumnIsReplacedNotAdded) {
    FileList list;
    FileListModel model(list);
    EXPECT_EQ(model.columnCount(), 0);
    model.DeleteColumn();
    model.InsertColumn("File name");
    model.InsertColumn("Dateiname");
    EXPECT_EQ(model.columnCount(), 1);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "Dateiname");
    model.DeleteColumn();
    EXPECT_EQ(model.columnCount(), 0);
    EXPECT_FALSE(model.headerData(0, Qt::Horizontal).isValid());
}

TEST(FileListModel, AMillionNamesAppearAtOnce) {
    FileList list;
    constexpr int kCount = 1'000'000;
    list.reserve(kCount, kCount * 24);
    for (int i = 0; i < kCount; ++i) {
        list.append("/big/folder", "file" + std::to_string(i) + ".txt");
    }
    FileListModel model(list);
    model.InsertColumn("File name");
    QTreeView view;
    view.setUniformRowHeights(true);
    view.setModel(&model);
    view.resize(400, 200);
    view.show();

    const zentory::test::PeakMemory peak;
    QElapsedTimer timer;
    timer.start();
    model.reset();
    view.scrollToBottom();
    const QImage shot = view.grab().toImage();
    const qint64 elapsed = timer.elapsed();
    EXPECT_FALSE(shot.isNull());
    EXPECT_EQ(model.rowCount(), kCount);
    EXPECT_EQ(model.index(kCount - 1, 0).data().toString(), "file999999.txt");
    // A row built per name would take tens of MiB; showing them takes about one.
    if (!zentory::test::builtWithSanitizers()) {
        EXPECT_LT(peak.growthKiB(), 16 * 1024) << "the rows were built one by one";
    }
    // Only a runaway fails here: the speed itself is the window benchmark's to judge.
    EXPECT_LT(elapsed, kGenerousSeconds * 1000)
        << "showing a million names took " << elapsed << " ms";
    RecordProperty("million_rows_ms", static_cast<int>(elapsed));
}

} // namespace
