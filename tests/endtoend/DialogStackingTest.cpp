// The tray's dialogs under a window manager as under none: their questions and file dialogs
// open above them as their children, Enter never destroys, Escape cancels, everything fits on
// the screen, and the tray menu opens while a dialog or question shows.
#include "counting/KeyFrequencyTable.h"
#include "endtoend/DesktopTest.h"

namespace {

class DialogStackingTest : public DesktopTest {
protected:
    // Gives `window` the keyboard as a user's click would: through the window manager, which
    // else may take it back, or directly where there is none.
    void Focus(const std::string& window) const {
        Xdotool({WindowManager().empty() ? "windowfocus" : "windowactivate", "--sync", window});
    }

    // Whole on the 1024 × 768 screen.
    void ExpectOnScreen(const std::string& window, const char* what) const {
        const Geometry at = GeometryOf(window);
        EXPECT_TRUE(at.Width > 0 && at.X >= 0 && at.Y >= 0 && at.X + at.Width <= 1024 &&
                    at.Y + at.Height <= 768)
            << what << " at " << at.X << "," << at.Y << " size " << at.Width << "x" << at.Height;
    }

    // `child` opened as `parent`'s: transient for it, stacked above it, its centre inside it.
    void ExpectAbove(const std::string& child, const std::string& parent, const char* what) const {
        EXPECT_EQ(TransientFor(child), parent) << what << " is not the dialog's child";
        EXPECT_TRUE(StackedAbove(child, parent)) << what << " is not above its dialog";
        const Geometry c = GeometryOf(child);
        const Geometry p = GeometryOf(parent);
        const int x = c.X + c.Width / 2;
        const int y = c.Y + c.Height / 2;
        EXPECT_TRUE(x >= p.X && x <= p.X + p.Width && y >= p.Y && y <= p.Y + p.Height)
            << what << " is not over its dialog";
        ExpectOnScreen(child, what);
    }

    // The tray menu opens now (nothing holds the program) and closes again. A second click
    // as a user's, when the first came while the window manager was still placing a window.
    void ExpectTrayMenuOpens(pid_t pid, const std::string& icon, const char* while_) const {
        const bool opened = !OpenTrayMenu(pid, icon).empty() || !OpenTrayMenu(pid, icon).empty();
        EXPECT_TRUE(opened) << "no tray menu while " << while_;
        if (opened) {
            Xdotool({"key", "Escape"});
        }
    }

    bool Gone(pid_t pid, const std::string& icon, const std::string& title) const {
        return PollUntil([&] { return WindowsNamed(pid, icon, title).empty(); }, 10s);
    }
};

TEST_F(DialogStackingTest, QuestionsAndSaveDialogsOpenAboveTheirDialogAndTheTrayStaysUsable) {
    const std::string icon = StartCounter();
    ASSERT_FALSE(icon.empty()) << "no tray icon";
    const pid_t pid = counters_[0]->Pid();
    Type("hello");
    WaitUntilSkeldAllowed();  // the menu's items are usable

    ASSERT_FALSE(OpenTrayMenu(pid, icon).empty()) << "no menu";
    Xdotool({"key", "k"});  // "&Key Frequencies"
    const std::string frequencies = WaitForWindow(pid, icon, "Key Frequencies");
    ASSERT_FALSE(frequencies.empty()) << "no Key Frequencies dialog";
    ExpectOnScreen(frequencies, "Key Frequencies");
    ExpectTrayMenuOpens(pid, icon, "Key Frequencies shows");

    // "Reset chart" (after the list and the check box): its question above the dialog, which
    // stays on top of other windows; the tray works meanwhile, and Enter keeps the tally.
    Focus(frequencies);
    Xdotool({"key", "--delay", "80", "Tab", "Tab", "space"});
    const std::string question = WaitForWindow(pid, icon, "Kestrovin");
    ASSERT_FALSE(question.empty()) << "no question for the reset";
    ExpectAbove(question, frequencies, "the reset question");
    KeepWindowPicture("root", "ResetQuestion.png");
    ExpectTrayMenuOpens(pid, icon, "the reset question shows");
    Focus(question);
    Xdotool({"key", "Return"});
    ASSERT_TRUE(Gone(pid, icon, "Kestrovin")) << "Enter did not answer the question";

    // "Export as HTML": the save dialog above Key Frequencies; Escape cancels it.
    Focus(frequencies);
    Xdotool({"key", "--delay", "80", "Tab", "space"});
    const std::string save = WaitForWindow(pid, icon, "Save As");
    ASSERT_FALSE(save.empty()) << "no save dialog";
    ExpectAbove(save, frequencies, "the save dialog");
    KeepWindowPicture("root", "SaveAsOverKeyFrequencies.png");
    Focus(save);
    Xdotool({"key", "Escape"});
    ASSERT_TRUE(Gone(pid, icon, "Save As")) << "Escape did not cancel the save dialog";

    // Enter closes Key Frequencies, whatever button the focus was left on.
    Focus(frequencies);
    Xdotool({"key", "Return"});
    ASSERT_TRUE(Gone(pid, icon, "Key Frequencies")) << "Enter did not close Key Frequencies";

    // The debug log viewer: the tray works while it shows, and Enter closes it with the log
    // as it was.
    const std::uintmax_t logged = std::filesystem::file_size(DataFile("Debug.log"));
    ASSERT_GT(logged, 0u);
    ASSERT_FALSE(OpenTrayMenu(pid, icon).empty()) << "no menu";
    Xdotool({"key", "--delay", "300", "h", "s", "d"});  // "&Help && Support", "Log&s", "&Debug"
    const std::string viewer = WaitForWindow(pid, icon, "Kestrovin Debug Log");
    ASSERT_FALSE(viewer.empty()) << "no debug log viewer";
    ExpectOnScreen(viewer, "the debug log viewer");
    ExpectTrayMenuOpens(pid, icon, "the debug log viewer shows");
    Focus(viewer);
    Xdotool({"key", "Return"});
    ASSERT_TRUE(Gone(pid, icon, "Kestrovin Debug Log")) << "Enter did not close the viewer";
    EXPECT_GE(std::filesystem::file_size(DataFile("Debug.log")), logged) << "the log was emptied";

    ASSERT_TRUE(StopCounter());
    KeyFrequencyTable tally;
    ASSERT_TRUE(tally.Load(DataFile("keyfreq.bin")));
    EXPECT_GE(tally.Size(), 4u) << "the tally was reset";
}

// The dialogs of the tray menu open beside each other and the program: each fits on the screen,
// the tray menu opens while they show, and Escape closes each, but for the preferences, whose
// pages keep Escape to themselves: Enter saves and closes them.
TEST_F(DialogStackingTest, TrayDialogsOpenTogetherFitTheScreenAndCloseByKey) {
    const std::string icon = StartCounter();
    ASSERT_FALSE(icon.empty()) << "no tray icon";
    const pid_t pid = counters_[0]->Pid();
    WaitUntilSkeldAllowed();  // the menu's items are usable

    const struct {
        const char* Title;
        std::vector<std::string> Keys;  // in the tray menu
        const char* Picture;            // of the window alone, while nothing covers it
        const char* CloseKey;
    } dialogs[] = {
        // Skeld Now, Account, Preferences: separators are skipped.
        {"Kestrovin Preferences", {"Down", "Down", "Down", "Return"}, "Preferences.png", "Return"},
        {"Key Frequencies", {"k"}, nullptr, "Escape"},
        {"Kestrovin Skeld Log", {"h", "s", "s"}, nullptr, "Escape"},
        {"Kestrovin Debug Log", {"h", "s", "d"}, nullptr, "Escape"},
    };
    std::vector<std::string> opened;
    for (const auto& d : dialogs) {
        SCOPED_TRACE(d.Title);
        ASSERT_FALSE(OpenTrayMenu(pid, icon).empty()) << "no menu";
        std::vector<std::string> keys = {"key", "--delay", "300"};
        keys.insert(keys.end(), d.Keys.begin(), d.Keys.end());
        Xdotool(keys);
        const std::string dialog = WaitForWindow(pid, icon, d.Title);
        ASSERT_FALSE(dialog.empty()) << "did not open while the others showed";
        ExpectOnScreen(dialog, d.Title);
        if (d.Picture != nullptr) {
            KeepWindowPicture(dialog, d.Picture);
        }
        opened.push_back(dialog);
    }
    KeepWindowPicture("root", "TrayDialogsTogether.png");
    ExpectTrayMenuOpens(pid, icon, "four dialogs show");
    for (std::size_t i = 0; i < opened.size(); ++i) {
        SCOPED_TRACE(dialogs[i].Title);
        Focus(opened[i]);
        Xdotool({"key", dialogs[i].CloseKey});
        EXPECT_TRUE(Gone(pid, icon, dialogs[i].Title))
            << dialogs[i].CloseKey << " did not close it";
    }
    EXPECT_TRUE(StopCounter());
}

}  // namespace
