// Key frequencies and the logs, read as a screen reader reads them.
#include "endtoend/DesktopTest.h"

namespace {

// The rows of an exported key-frequency page: (count, key) as the page lists them.
std::vector<std::vector<std::string>> HtmlRows(const std::string& html) {
    std::vector<std::vector<std::string>> rows;
    const std::string cell = "<td align=\"center\" width=\"50%\">";
    for (std::size_t at = html.find("<tr bgcolor=\"#"); at != std::string::npos;
         at = html.find("<tr bgcolor=\"#", at + 1)) {
        const std::size_t count = html.find(cell, at);
        const std::size_t key = count == std::string::npos ? count : html.find(cell, count + 1);
        if (key == std::string::npos || html.compare(count + cell.size(), 3, "<fo") == 0) {
            continue;  // the header or the footer row
        }
        const std::size_t countEnd = html.find("</td>", count);
        const std::size_t keyEnd = html.find("</td>", key);
        rows.push_back({html.substr(count + cell.size(), countEnd - count - cell.size()),
                        html.substr(key + cell.size(), keyEnd - key - cell.size())});
    }
    return rows;
}

// The rows of a list as a screen reader reads them (see AccessibleDesktopTest::Shown): the
// text of each cell, row by row, `columns` cells a row.
std::vector<std::vector<std::string>> ListRows(const std::string& shown, std::size_t columns) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(shown);
    const std::string item = "tree item: ";
    for (std::string line; std::getline(lines, line);) {
        if (!line.starts_with(item)) {
            continue;
        }
        if (rows.empty() || rows.back().size() == columns) {
            rows.emplace_back();
        }
        rows.back().push_back(line.substr(item.size()));
    }
    return rows;
}

// The program with accessibility on, as under a screen reader: on a private session bus, where
// the accessibility bus starts when asked for, and in the XEmbed tray.
class AccessibleDesktopTest : public DesktopTest {
protected:
    void StartTray() override {
        StartBus();
        if (HasFatalFailure()) {
            return;
        }
        SetVariable("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        DesktopTest::StartTray();
    }

    // What the window with this title shows, one object a line after its role ("tree item: L",
    // "push button: Close"), read as a screen reader reads it; "" while there is no such window.
    std::string Shown(const std::string& title) const {
        const ProgramResult shown = RunToEnd({KESTROVIN_TEST_A11Y, title}, environment_);
        if (shown.Status == 2 && !saidNoBus_) {
            saidNoBus_ = true;
            ADD_FAILURE() << shown.Output << "(scripts/install-deps installs at-spi2-core)";
        }
        return shown.Status == 0 ? shown.Output : "";
    }

    // Waits up to 10 s until the window shows a line holding `text`; what it showed last.
    std::string WaitUntilShown(const std::string& title, const std::string& text) const {
        std::string shown;
        PollUntil([&] { return (shown = Shown(title)).find(text) != std::string::npos; }, 10s);
        return shown;
    }

    mutable bool saidNoBus_ = false;
};

// "Key Frequencies" lists the keys typed with their counts, and its HTML export the same rows;
// after a skeld the skeld log viewer shows the skeld's line, and "&Empty Log" empties it. Both
// are opened from the tray menu with the keyboard; pictures of both are kept.
TEST_F(AccessibleDesktopTest, KeyFrequenciesAndTheSkeldLogOpenFromTheTrayMenu) {
    using Rows = std::vector<std::vector<std::string>>;
    const std::string icon = StartCounter();
    ASSERT_FALSE(icon.empty()) << "no tray icon";
    const pid_t pid = counters_[0]->Pid();
    const auto waitFor = [&](const std::string& title) { return WaitForWindow(pid, icon, title); };
    Type("hello");
    WaitUntilSkeldAllowed();  // the menu's items are usable

    ASSERT_FALSE(OpenTrayMenu(pid, icon).empty()) << "no menu";
    Xdotool({"key", "k"});  // "&Key Frequencies"
    const std::string dialog = waitFor("Key Frequencies");
    ASSERT_FALSE(dialog.empty()) << "no Key Frequencies dialog";
    const std::string shown = WaitUntilShown("Key Frequencies", "column header: Key");
    Rows listed = ListRows(shown, 2);
    // The "k" that chose the item may be released before the list is filled.
    std::erase(listed, std::vector<std::string>{"1", "K"});
    EXPECT_EQ(listed, (Rows{{"2", "L"}, {"1", "E"}, {"1", "H"}, {"1", "O"}})) << shown;
    KeepWindowPicture(dialog, "KeyFrequencies.png");

    // "Export as HTML" follows the list, the check box and "Reset chart"; the save dialog takes
    // the whole path typed over its proposed name.
    const std::filesystem::path exported = folder_ / "exported.html";
    Xdotool({"windowfocus", "--sync", dialog});
    Xdotool({"key", "--delay", "80", "Tab", "Tab", "Tab", "space"});
    const std::string save = waitFor("Save As");
    ASSERT_FALSE(save.empty()) << "no save dialog";
    Xdotool({"windowfocus", "--sync", save});
    Xdotool({"key", "ctrl+a"});
    Xdotool({"type", "--delay", "20", exported.string()});
    Xdotool({"key", "Return"});
    ASSERT_TRUE(PollUntil([&] { return std::filesystem::exists(exported); }, 10s))
        << "nothing exported";
    EXPECT_EQ(HtmlRows(ReadFile(exported)), ListRows(shown, 2));
    EXPECT_NE(ReadFile(exported).find("<td>AccountName:</td> <td>deskuser</td>"),
              std::string::npos);
    // Kept beside the pictures, for a look at it in a browser.
    std::error_code ignored;
    std::filesystem::copy_file(
        exported, std::filesystem::path(KESTROVIN_SCREENSHOT_FOLDER) / "KeyFrequencies.html",
        std::filesystem::copy_options::overwrite_existing, ignored);
    Xdotool({"windowfocus", "--sync", dialog});
    Xdotool({"key", "Escape"});
    ASSERT_TRUE(PollUntil([&] { return WindowsNamed(pid, icon, "Key Frequencies").empty(); }, 10s))
        << "Escape did not close the dialog";

    // A double click on the icon skelds; its line goes into Skelds.log.
    const Geometry iconAt = GeometryOf(icon);
    Xdotool({"mousemove", std::to_string(iconAt.X + iconAt.Width / 2),
             std::to_string(iconAt.Y + iconAt.Height / 2), "click", "--repeat", "2", "--delay",
             "80", "1"});
    ASSERT_TRUE(ServerKeysReach(5));
    std::string logged;
    ASSERT_TRUE(
        PollUntil([&] { return !(logged = ReadFile(DataFile("Skelds.log"))).empty(); }, 10s));
    ASSERT_TRUE(logged.ends_with('\n')) << logged;
    ASSERT_EQ(std::count(logged.begin(), logged.end(), '\n'), 1) << logged;
    logged.pop_back();

    // "&Help && Support", "Log&s", "&Skelds".
    ASSERT_FALSE(OpenTrayMenu(pid, icon).empty()) << "no menu";
    Xdotool({"key", "--delay", "300", "h", "s", "s"});
    const std::string viewer = waitFor("Kestrovin Skeld Log");
    ASSERT_FALSE(viewer.empty()) << "no skeld log viewer";
    const std::string log = WaitUntilShown("Kestrovin Skeld Log", "column header: Message");
    EXPECT_EQ(ListRows(log, 1), (Rows{{logged}})) << log;
    KeepWindowPicture(viewer, "SkeldLog.png");

    // "&Empty Log" empties the file and the list, and says so.
    Xdotool({"windowfocus", "--sync", viewer});
    Xdotool({"key", "alt+e"});
    const std::string cleared = waitFor("Kestrovin");
    ASSERT_FALSE(cleared.empty()) << "no message after emptying the log";
    const std::string message = WaitUntilShown("Kestrovin", "Log cleared.");
    EXPECT_NE(message.find("Log cleared."), std::string::npos) << message;
    EXPECT_EQ(ReadFile(DataFile("Skelds.log")), "");
    Xdotool({"windowfocus", "--sync", cleared});
    Xdotool({"key", "Return"});
    ASSERT_TRUE(PollUntil([&] { return WindowsNamed(pid, icon, "Kestrovin").empty(); }, 10s));
    const std::string emptied = WaitUntilShown("Kestrovin Skeld Log", "column header: Message");
    ASSERT_NE(emptied.find("column header: Message"), std::string::npos) << "the list is gone";
    EXPECT_EQ(ListRows(emptied, 1), Rows{}) << emptied;
    Xdotool({"windowfocus", "--sync", viewer});
    Xdotool({"key", "Escape"});
    EXPECT_TRUE(
        PollUntil([&] { return WindowsNamed(pid, icon, "Kestrovin Skeld Log").empty(); }, 10s));
    EXPECT_TRUE(StopCounter());
}

// A debug log of tens of megabytes, as one left to grow for years, opens at its newest lines
// at the bottom of the list with only a part of it read, and "&Empty Log" empties it.
TEST_F(AccessibleDesktopTest, TheDebugLogViewerOpensALongLogAtItsNewestLines) {
    using Rows = std::vector<std::vector<std::string>>;
    const std::string icon = StartCounter();
    ASSERT_FALSE(icon.empty()) << "no tray icon";
    const pid_t pid = counters_[0]->Pid();
    constexpr int kLines = 600'000;
    {
        // After the lines the program wrote at its start.
        std::ofstream log(DataFile("Debug.log"), std::ios::binary | std::ios::app);
        for (int line = 0; line < kLines; ++line) {
            log << "[2011/03/03 14:05:09] SERVER - Skeld accepted, updating totals (" << line
                << ")\n";
        }
    }
    ASSERT_GT(std::filesystem::file_size(DataFile("Debug.log")), 30'000'000u);
    WaitUntilSkeldAllowed();  // the menu's items are usable

    ASSERT_FALSE(OpenTrayMenu(pid, icon).empty()) << "no menu";
    Xdotool({"key", "--delay", "300", "h", "s", "d"});  // "&Help && Support", "Log&s", "&Debug"
    const std::string viewer = WaitForWindow(pid, icon, "Kestrovin Debug Log");
    ASSERT_FALSE(viewer.empty()) << "no debug log viewer";
    const std::string newest = "(" + std::to_string(kLines - 1) + ")";
    const std::string shown = WaitUntilShown("Kestrovin Debug Log", newest);
    const Rows listed = ListRows(shown, 1);
    ASSERT_FALSE(listed.empty()) << shown;
    EXPECT_LT(listed.size(), kLines / 100u) << "more than a part of the log was read";
    // The newest rows: a run of the log's last lines in their order, with the last one written
    // here and those the program wrote after it.
    std::ifstream log(DataFile("Debug.log"), std::ios::binary);
    log.seekg(-1'000'000, std::ios::end);
    Rows lines;
    std::string line;
    std::getline(log, line);  // the end of a line cut by the seek
    while (std::getline(log, line)) {
        lines.push_back({line});
    }
    const auto last = std::find_if(lines.rbegin(), lines.rend(), [&](const auto& row) {
        return row.front().find(newest) != std::string::npos;
    });
    ASSERT_NE(last, lines.rend());
    bool inOrder = false;
    for (auto end = last.base(); end <= lines.end() && !inOrder; ++end) {
        const auto count = static_cast<std::ptrdiff_t>(listed.size());
        inOrder = end - lines.begin() >= count && Rows(end - count, end) == listed;
    }
    EXPECT_TRUE(inOrder) << shown;
    KeepWindowPicture(viewer, "DebugLogLong.png");

    Xdotool({"windowfocus", "--sync", viewer});
    Xdotool({"key", "alt+e"});
    const std::string cleared = WaitForWindow(pid, icon, "Kestrovin");
    ASSERT_FALSE(cleared.empty()) << "no message after emptying the log";
    EXPECT_NE(WaitUntilShown("Kestrovin", "Log cleared.").find("Log cleared."), std::string::npos);
    EXPECT_EQ(std::filesystem::file_size(DataFile("Debug.log")), 0u);
    Xdotool({"windowfocus", "--sync", cleared});
    Xdotool({"key", "Return"});
    ASSERT_TRUE(PollUntil([&] { return WindowsNamed(pid, icon, "Kestrovin").empty(); }, 10s));
    const std::string emptied = WaitUntilShown("Kestrovin Debug Log", "column header: Message");
    EXPECT_EQ(ListRows(emptied, 1), Rows{}) << emptied;
    EXPECT_TRUE(StopCounter());
}

}  // namespace
