#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "desktop/dialogs/DebugLog.h"
#include "desktop/dialogs/LogList.h"
#include "support/DialogScreenshot.h"
#include "support/RecordingUser.h"
#include "support/TempFolder.h"

namespace {

std::string RowText(const CLogViewer& viewer, int row) {
    return viewer.List()->model()->index(row, 0).data().toString().toStdString();
}

std::vector<std::string> Rows(const CLogViewer& viewer) {
    std::vector<std::string> rows;
    for (int i = 0; i < viewer.List()->model()->rowCount(); ++i) {
        rows.push_back(RowText(viewer, i));
    }
    return rows;
}

// The row shown at the top of the list, or -1.
int TopRow(const CLogViewer& viewer) {
    return viewer.List()->indexAt(QPoint(1, 1)).row();
}

bool Shown(const CLogViewer& viewer, int row) {
    const QTreeView& list = *viewer.List();
    return list.viewport()->rect().contains(list.visualRect(list.model()->index(row, 0)));
}

std::string Line(int number) {
    return "[2011/03/03 14:05:09] SERVER - line " + std::to_string(number);
}

void WriteFile(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

class LogViewerTest : public testing::Test {
protected:
    TempFolder folder;
    RecordingUser user;
};

TEST_F(LogViewerTest, ListsTheLinesSplittingLongOnes) {
    const std::string longLine = std::string(125, 'a') + "X" + std::string(74, 'b');
    WriteFile(folder / "Skelds.log",
              "[2011/03/03 14:05:09] Skelded with 5 keys\n" + longLine + "\n");
    CLogList viewer(LogFile(folder / "Skelds.log"), user);
    EXPECT_EQ(viewer.windowTitle(), "Kestrovin Skeld Log");
    EXPECT_EQ(viewer.List()->model()->headerData(0, Qt::Horizontal).toString(), "Message");
    EXPECT_EQ(Rows(viewer),
              (std::vector<std::string>{"[2011/03/03 14:05:09] Skelded with 5 keys",
                                        std::string(125, 'a'), std::string(74, 'b')}));
    EXPECT_EQ(viewer.CloseButton()->text(), "&Close");
    EXPECT_TRUE(SaveDialogScreenshot(viewer, "skeld-log"));
}

// A skeld's line is longer than the list's least width: the viewer opens wide enough for it.
TEST_F(LogViewerTest, ASkeldsLineShowsWholeWhenTheViewerOpens) {
    WriteFile(folder / "Skelds.log",
              "[2026/12/11 03:04:32] Skelded with 56 keys, 3 mouseclicks and 0.000 Miles\n");
    CLogList viewer(LogFile(folder / "Skelds.log"), user);
    viewer.show();
    QApplication::processEvents();
    EXPECT_FALSE(viewer.List()->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(SaveDialogScreenshot(viewer, "skeld-log-one-skeld"));
}

TEST_F(LogViewerTest, RefreshReadsTheFileAgainAndAMissingLogIsEmpty) {
    CDebugLog viewer(LogFile(folder / "Debug.log"), user);
    EXPECT_EQ(viewer.windowTitle(), "Kestrovin Debug Log");
    EXPECT_TRUE(Rows(viewer).empty());
    WriteFile(folder / "Debug.log", "[2011/03/03 14:05:09] SERVER - Sending skeld\n");
    EXPECT_TRUE(Rows(viewer).empty());  // a snapshot until refreshed
    viewer.RefreshButton()->click();
    EXPECT_EQ(Rows(viewer),
              (std::vector<std::string>{"[2011/03/03 14:05:09] SERVER - Sending skeld"}));
    EXPECT_TRUE(SaveDialogScreenshot(viewer, "debug-log"));
}

TEST_F(LogViewerTest, EmptyLogTruncatesTheFileAndSaysSo) {
    WriteFile(folder / "Skelds.log", "[2011/03/03 14:05:09] one\n[2011/03/03 14:05:10] two\n");
    CLogList viewer(LogFile(folder / "Skelds.log"), user);
    ASSERT_EQ(Rows(viewer).size(), 2u);
    viewer.EmptyButton()->click();
    EXPECT_TRUE(Rows(viewer).empty());
    EXPECT_EQ(std::filesystem::file_size(folder / "Skelds.log"), 0u);
    EXPECT_EQ(user.messages, (std::vector<std::string>{"Log cleared."}));
}

TEST_F(LogViewerTest, ALogThatCannotBeEmptiedIsReportedNotClaimedCleared) {
    // A log whose folder is a plain file can be neither read nor created, even by root.
    WriteFile(folder / "not-a-folder", "");
    CDebugLog viewer(LogFile(folder / "not-a-folder" / "Debug.log"), user);
    viewer.EmptyButton()->click();
    ASSERT_EQ(user.messages.size(), 1u);
    EXPECT_NE(user.messages[0], "Log cleared.");
    EXPECT_NE(user.messages[0].find("could not be emptied"), std::string::npos);
    EXPECT_NE(user.messages[0].find("Debug.log"), std::string::npos);
}

// A long log opens at once at its newest rows, shown at the bottom of the list, with only a
// part of it read; scrolled to the top again and again the list reads older rows up to the
// first, the row at the top staying in place, and scrolled down newer ones again.
TEST_F(LogViewerTest, ALongLogOpensAtItsNewestRowsAndReadsMoreAsItScrolls) {
    constexpr int lines = 50'000;
    {
        std::ofstream out(folder / "Debug.log", std::ios::binary);
        for (int line = 0; line < lines; ++line) {
            out << Line(line) << "\n";
        }
    }
    CDebugLog viewer(LogFile(folder / "Debug.log"), user);
    viewer.show();
    QApplication::processEvents();
    const QAbstractItemModel& model = *viewer.List()->model();
    EXPECT_LT(model.rowCount(), lines / 10);
    EXPECT_EQ(RowText(viewer, model.rowCount() - 1), Line(lines - 1));
    EXPECT_TRUE(Shown(viewer, model.rowCount() - 1));
    EXPECT_TRUE(SaveDialogScreenshot(viewer, "debug-log-long"));

    QScrollBar& bar = *viewer.List()->verticalScrollBar();
    for (int scrolls = 0; RowText(viewer, 0) != Line(0) && scrolls < lines; ++scrolls) {
        const std::string first = RowText(viewer, 0);
        bar.setValue(bar.minimum());
        QApplication::processEvents();
        ASSERT_NE(RowText(viewer, 0), first) << "nothing read before " << first;
        EXPECT_EQ(RowText(viewer, TopRow(viewer)), first);
        ASSERT_LT(model.rowCount(), lines / 10);
    }
    EXPECT_EQ(RowText(viewer, 0), Line(0));

    for (int scrolls = 0;
         RowText(viewer, model.rowCount() - 1) != Line(lines - 1) && scrolls < lines; ++scrolls) {
        const std::string last = RowText(viewer, model.rowCount() - 1);
        bar.setValue(bar.maximum());
        QApplication::processEvents();
        ASSERT_NE(RowText(viewer, model.rowCount() - 1), last) << "nothing read after " << last;
        ASSERT_LT(model.rowCount(), lines / 10);
    }
    EXPECT_EQ(RowText(viewer, model.rowCount() - 1), Line(lines - 1));
}

}  // namespace
