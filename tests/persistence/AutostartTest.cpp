#include "persistence/Autostart.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/FileIo.h"
#include "platform/linux/XdgAutostart.h"
#include "support/RecordingUser.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

const std::string StoreFailed =
    "There was a problem writing the autostart entry.\r\n\r\nKestrovin might not start when you "
    "log in!";

class AutostartTest : public ::testing::Test {
protected:
    fs::path EntryPath() const { return temp / "config/autostart/Kestrovin.desktop"; }

    void Set(std::int32_t on, const fs::path& executable = "/opt/kestrovin/kestrovin") {
        XdgAutostart entry(temp / "config", executable);
        Autostart(entry, user).Set(on);
    }

    TempFolder temp;
    RecordingUser user;
};

TEST_F(AutostartTest, OnWritesADesktopEntryStartingTheProgram) {
    Set(1);
    EXPECT_EQ(ReadWholeFile(EntryPath()),
              "[Desktop Entry]\n"
              "Type=Application\n"
              "Name=Kestrovin\n"
              "Comment=Counts keystrokes, mouse clicks and mouse travel\n"
              "Exec=/opt/kestrovin/kestrovin\n"
              "Terminal=false\n"
              "X-GNOME-Autostart-enabled=true\n");
    EXPECT_TRUE(user.messages.empty());
}

TEST_F(AutostartTest, EachStartRewritesTheEntryWithTheCurrentPath) {
    Set(1, "/media/usb/kestrovin");
    Set(1, "/home/ann/apps/kestrovin");
    const std::string entry = ReadWholeFile(EntryPath()).value_or("");
    EXPECT_NE(entry.find("\nExec=/home/ann/apps/kestrovin\n"), std::string::npos) << entry;
    EXPECT_EQ(entry.find("/media/usb"), std::string::npos) << entry;
    // Nothing but the entry is left in the folder: no temporary files.
    EXPECT_EQ(std::distance(fs::directory_iterator(temp / "config/autostart"), {}), 1);
}

TEST_F(AutostartTest, AnyValueButOneRemovesTheEntrySilently) {
    for (const std::int32_t off : {0, 2, -1}) {
        Set(1);
        ASSERT_TRUE(fs::exists(EntryPath()));
        Set(off);
        EXPECT_FALSE(fs::exists(EntryPath())) << off;
    }
    Set(0);  // already gone
    EXPECT_TRUE(user.messages.empty());
}

TEST_F(AutostartTest, AnEntryThatCannotBeStoredIsReportedOnce) {
    fs::create_directory(temp / "config");
    std::ofstream(temp / "config/autostart") << "a file where the folder belongs";
    Set(1);
    EXPECT_EQ(user.messages, std::vector<std::string>{StoreFailed});
    EXPECT_EQ(user.icons, std::vector<UserPort::Icon>{UserPort::Icon::Exclamation});

    // Removing what cannot be there is no failure.
    Set(0);
    EXPECT_EQ(user.messages.size(), 1u);
}

TEST_F(AutostartTest, AReadOnlyAutostartFolderIsReported) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders";
    }
    fs::create_directories(temp / "config/autostart");
    fs::permissions(temp / "config/autostart", fs::perms::owner_read | fs::perms::owner_exec);
    Set(1);
    EXPECT_EQ(user.messages, std::vector<std::string>{StoreFailed});
    fs::permissions(temp / "config/autostart", fs::perms::owner_all);
}

TEST_F(AutostartTest, AnUnknownConfigFolderOrProgramPathIsReported) {
    XdgAutostart noConfigHome("", "/opt/kestrovin/kestrovin");
    Autostart(noConfigHome, user).Set(1);
    XdgAutostart noExecutable(temp / "config", "");
    Autostart(noExecutable, user).Set(1);
    EXPECT_EQ(user.messages, (std::vector<std::string>{StoreFailed, StoreFailed}));
    EXPECT_FALSE(fs::exists(EntryPath()));
}

// The desktop's own "don't start at log-in" switch writes into the same entry; every start
// rewrites the entry and must keep the user's choice.
TEST_F(AutostartTest, TheDesktopsStartSwitchesSurviveTheRewrite) {
    const struct {
        const char* written;  // the lines the desktop left in the entry
        const char* kept;     // the entry's lines after Terminal=false once rewritten
    } cases[] = {
        {"Hidden=true\n", "X-GNOME-Autostart-enabled=true\nHidden=true\n"},
        {"X-GNOME-Autostart-enabled=false\n", "X-GNOME-Autostart-enabled=false\n"},
        {"Hidden = true\nX-GNOME-Autostart-enabled=false\n",
         "X-GNOME-Autostart-enabled=false\nHidden=true\n"},
        {"Hidden=false\n", "X-GNOME-Autostart-enabled=true\nHidden=false\n"},
        // Only the entry's own group counts.
        {"[Desktop Action Quit]\nHidden=true\n", "X-GNOME-Autostart-enabled=true\n"},
    };
    for (const auto& c : cases) {
        Set(1, "/media/usb/kestrovin");
        std::ofstream(EntryPath(), std::ios::app) << c.written;
        Set(1, "/home/ann/apps/kestrovin");
        const std::string entry = ReadWholeFile(EntryPath()).value_or("");
        EXPECT_EQ(entry.substr(entry.find("Terminal=false\n") + 15), c.kept) << c.written;
        EXPECT_NE(entry.find("\nExec=/home/ann/apps/kestrovin\n"), std::string::npos);
        Set(0);
    }
}

}  // namespace
