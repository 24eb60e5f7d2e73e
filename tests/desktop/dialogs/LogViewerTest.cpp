#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
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

std::vector<std::string> Rows(const CLogViewer& viewer) {
    std::vector<std::string> rows;
    for (int i = 0; i < viewer.List()->topLevelItemCount(); ++i) {
        rows.push_back(viewer.List()->topLevelItem(i)->text(0).toStdString());
    }
    return rows;
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
    EXPECT_EQ(viewer.List()->headerItem()->text(0), "Message");
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

}  // namespace
