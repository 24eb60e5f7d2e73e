// The rows of the logs as the viewers list them, read a part at a time from real files.
#include "persistence/LogRowWindow.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "persistence/LogFile.h"
#include "persistence/LogRowReader.h"
#include "support/EndsInChild.h"
#include "support/FixedClock.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

using Rows = std::vector<std::string>;

void WriteText(const fs::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

Rows ForwardRows(const fs::path& log) {
    const LogRowReader reader(log);
    Rows rows;
    for (auto row = reader.RowAt({0, 0}); row; row = reader.RowAt(row->Next)) {
        rows.push_back(row->Text);
    }
    return rows;
}

Rows BackwardRows(const fs::path& log) {
    LogRowReader reader(log);
    Rows rows;
    for (auto row = reader.RowBefore(reader.End()); row; row = reader.RowBefore(row->At)) {
        rows.insert(rows.begin(), row->Text);
    }
    return rows;
}

// The rows of a line as the viewers show it: 125 characters a row, the one after them dropped.
void AddRowsOfLine(const std::string& line, Rows* rows) {
    rows->push_back(line.substr(0, 125));
    if (line.size() > 125) {
        AddRowsOfLine(line.substr(126), rows);
    }
}

// Keeps a copy of the rows held by what the window tells, as a list model's view does.
class MirroringListener final : public LogRowWindow::Listener {
public:
    explicit MirroringListener(const LogRowWindow& window) : window_(window) {}

    void Inserting(std::size_t first, std::size_t count) override {
        EXPECT_EQ(window_.Count(), rows.size());
        pending_ = {first, count};
    }
    void Inserted() override {
        for (std::size_t i = 0; i < pending_.second; ++i) {
            rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(pending_.first + i),
                        window_.Text(pending_.first + i));
        }
    }
    void Removing(std::size_t first, std::size_t count) override {
        EXPECT_EQ(window_.Count(), rows.size());
        const auto from = rows.begin() + static_cast<std::ptrdiff_t>(first);
        rows.erase(from, from + static_cast<std::ptrdiff_t>(count));
    }
    void Removed() override { EXPECT_EQ(window_.Count(), rows.size()); }

    std::deque<std::string> rows;

private:
    const LogRowWindow& window_;
    std::pair<std::size_t, std::size_t> pending_;
};

class LogRowWindowTest : public ::testing::Test {
protected:
    TempFolder temp;
    const fs::path log = temp / "Debug.log";
};

TEST_F(LogRowWindowTest, RowsFollowTheLinesSplittingLongOnesReadEitherWay) {
    const std::string digits200 = [] {
        std::string text;
        for (int i = 0; i < 200; ++i) {
            text += static_cast<char>('0' + i % 10);
        }
        return text;
    }();
    const struct {
        const char* what;
        std::string content;
        Rows rows;
    } cases[] = {
        {"empty file", "", {}},
        {"short lines", "one\ntwo\n\nfour\n", {"one", "two", "", "four"}},
        {"only line ends", "\n\n", {"", ""}},
        {"125 characters", std::string(125, 'x') + "\n", {std::string(125, 'x')}},
        // 126 characters and the line end: the line end starts a row of its own.
        {"126 characters", std::string(126, 'x') + "\n", {std::string(125, 'x'), ""}},
        {"127 characters", std::string(127, 'x') + "\n", {std::string(125, 'x'), "x"}},
        {"200 characters",
         digits200 + "\nnext\n",
         {digits200.substr(0, 125), digits200.substr(126), "next"}},
        // The last character read is dropped even when it is not a line end.
        {"last line without line end", "one\ntwo", {"one", "tw"}},
        {"long last line without line end",
         "one\n" + std::string(300, 'y'),
         {"one", std::string(125, 'y'), std::string(125, 'y'), std::string(47, 'y')}},
        {"lines from Windows", "one\r\ntwo\r\n", {"one", "two"}},
        {"125 characters from Windows",
         std::string(125, 'x') + "\r\nz\r\n",
         {std::string(125, 'x'), "z"}},
        {"126 characters from Windows",
         std::string(126, 'x') + "\r\nz\r\n",
         {std::string(125, 'x'), "", "z"}},
        // Only the CR before a line end goes.
        {"other CRs", "a\rb\r\r\n\r", {"a\rb\r", ""}},
    };
    for (const auto& c : cases) {
        WriteText(log, c.content);
        EXPECT_EQ(ForwardRows(log), c.rows) << c.what;
        EXPECT_EQ(BackwardRows(log), c.rows) << c.what;
    }
    fs::remove(log);
    EXPECT_TRUE(BackwardRows(log).empty()) << "missing file";
}

TEST_F(LogRowWindowTest, ALineWrittenToTheLogIsOneRow) {
    FixedClock clock(1'299'153'909);
    LogFile(log, clock).Write("SERVER - Sending skeld");
    LogRowWindow window(log, 10);
    EXPECT_EQ(window.LoadEarlier(10), 1u);
    ASSERT_EQ(window.Count(), 1u);
    EXPECT_NE(window.Text(0).find("] SERVER - Sending skeld"), std::string::npos);
    EXPECT_EQ(window.Text(0).size(), 44u);
}

// The viewers read a long log from its newest rows to its oldest and back again: the rows held
// never pass the window's capacity, whatever the log's length, and every row comes once, in
// its place.
TEST_F(LogRowWindowTest, ALongLogIsHeldAPartAtATimeAndNothingIsLost) {
    Rows expected;
    {
        std::ofstream out(log, std::ios::binary);
        for (int line = 0; line < 100'000; ++line) {
            std::string text = "[2011/03/03 14:05:09] SERVER - line " + std::to_string(line);
            if (line % 1000 == 7) {
                text += " " + std::string(300, 'w');
            }
            out << text << (line % 3 == 0 ? "\r\n" : "\n");
            AddRowsOfLine(text, &expected);
        }
    }
    constexpr std::size_t capacity = 1000;
    constexpr std::size_t perRead = 300;
    // The rows with their text and places, and a block of the file: nothing grows with the log.
    constexpr std::size_t mostHeld = capacity * 256 + LogRowReader::BlockSize;
    ASSERT_GT(fs::file_size(log), 10 * mostHeld);

    LogRowWindow window(log, capacity);
    MirroringListener listener(window);
    EXPECT_EQ(window.LoadEarlier(perRead, &listener), perRead);
    EXPECT_EQ(Rows(listener.rows.begin(), listener.rows.end()),
              Rows(expected.end() - perRead, expected.end()));
    EXPECT_TRUE(window.AtEnd());
    EXPECT_FALSE(window.AtStart());
    EXPECT_LE(window.HeldBytes(), mostHeld);

    // Up to the start: each read's rows go before the others.
    Rows seen(listener.rows.begin(), listener.rows.end());
    while (!window.AtStart()) {
        const std::size_t added = window.LoadEarlier(perRead, &listener);
        ASSERT_GT(added, 0u);
        seen.insert(seen.begin(), listener.rows.begin(), listener.rows.begin() + added);
        ASSERT_LE(window.Count(), capacity);
        ASSERT_LE(window.HeldBytes(), mostHeld);
    }
    EXPECT_EQ(seen, expected);
    EXPECT_FALSE(window.AtEnd());
    EXPECT_EQ(listener.rows.front(), expected.front());

    // And down to the end again.
    seen.assign(listener.rows.begin(), listener.rows.end());
    while (!window.AtEnd()) {
        const std::size_t added = window.LoadLater(perRead, &listener);
        ASSERT_GT(added, 0u);
        seen.insert(seen.end(), listener.rows.end() - static_cast<std::ptrdiff_t>(added),
                    listener.rows.end());
        ASSERT_LE(window.Count(), capacity);
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(listener.rows.back(), expected.back());
    EXPECT_EQ(window.LoadLater(perRead, &listener), 0u);
    EXPECT_EQ(Rows(listener.rows.begin(), listener.rows.end()),
              Rows(expected.end() - capacity, expected.end()));
}

// The log is read as long as it was when opened: lines written since wait for the next
// reading, and a log emptied meanwhile simply has no more rows.
TEST_F(LogRowWindowTest, ReadsTheLogAsItWasWhenOpenedAndStopsWhenItIsCutShort) {
    WriteText(log, "one\ntwo\nthree\nfour\n");
    LogRowWindow window(log, 2);
    EXPECT_EQ(window.LoadEarlier(2), 2u);
    EXPECT_EQ(window.Text(0), "three");
    std::ofstream(log, std::ios::binary | std::ios::app) << "five\n";
    EXPECT_EQ(window.LoadLater(2), 0u);
    EXPECT_TRUE(window.AtEnd());

    fs::resize_file(log, 0);
    EXPECT_EQ(window.LoadEarlier(2), 0u);
    EXPECT_TRUE(window.AtStart());
    EXPECT_EQ(window.Count(), 2u);
}

TEST_F(LogRowWindowTest, AFifoInTheLogsPlaceIsNotWaitedFor) {
    ASSERT_EQ(::mkfifo(log.c_str(), 0600), 0);
    const std::optional<int> status = EndsInChild([&] {
        LogRowWindow window(log, 10);
        return window.LoadEarlier(10) == 0 && window.AtStart() ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
}

}  // namespace
