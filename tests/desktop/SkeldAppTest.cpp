// The application's own steps that need no X server.
#include "desktop/SkeldApp.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/input.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTimer>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "server/AccountTakeOver.h"
#include "support/InputEvents.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

namespace {

class SkeldAppTest : public testing::Test {
protected:
    SkeldAppTest() {
        environment.Set("HOME", (temp / "home").string());
        environment.Set("XDG_DATA_HOME", (temp / "data").string());
        environment.Set("XDG_CONFIG_HOME", (temp / "config").string());
    }

    // A Wayland session's start without any X display, reading the devices of `devices`.
    void StartAsWaylandSession() {
        std::filesystem::create_directories(temp / "runtime");
        std::filesystem::permissions(temp / "runtime", std::filesystem::perms::owner_all);
        environment.Set("XDG_RUNTIME_DIR", (temp / "runtime").string());
        environment.Set("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + (temp / "no-bus").string());
        environment.Set("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + (temp / "no-bus").string());
        environment.Unset("DISPLAY");
        environment.Unset("WAYLAND_DISPLAY");
        environment.Set("KESTROVIN_INPUT", "evdev");
        std::filesystem::create_directories(temp / "devices");
    }
    void UseDevices(CSkeldApp& app) const {
        app.InputDeviceFolder = (temp / "devices").string();
        // The test's FIFOs are keyboards; the kernel would say so of real ones.
        app.InputDeviceQuery = [](int) { return EvdevDeviceScan::Kind{true, false}; };
    }

    TempFolder temp;
    ScopedEnvironment environment;
};

TEST_F(SkeldAppTest, TheAcceptedSetupBecomesTheRecordAndTheProgramStartsWithTheSession) {
    AcceptedAccount account;
    account.UserName = "bob";
    account.ComputerName = "den";
    account.Token = "tok";
    account.UserID = 77;
    account.ProxyHost = "proxy.example";
    account.ProxyPort = 3128;
    account.ProxyUse = 1;

    // The tally of the account before (a log off, a damaged state file) goes on.
    KeyFrequencyTable before;
    before.Increment('Q');
    std::filesystem::create_directories(temp / "data" / "Kestrovin");
    ASSERT_TRUE(before.Save(temp / "data" / "Kestrovin" / "keyfreq.bin"));

    CSkeldApp app;
    app.Record.Account.NewAccount = 1;
    app.Frequencies.Increment('Q');
    app.TakeOverSetup(account);
    EXPECT_EQ(app.Frequencies.Entries(), (KeyFrequencyTable::Counts{{'Q', 2}}));

    EXPECT_EQ(app.Record.Account.UserName, "bob");
    EXPECT_EQ(app.Record.Account.ComputerName, "den");
    EXPECT_EQ(app.Record.Account.UserID, 77);
    EXPECT_EQ(app.Record.Account.NewAccount, 0);
    EXPECT_EQ(app.Record.Prefs.ProxyHost, "proxy.example");
    EXPECT_EQ(app.Record.Prefs.ProxyPort, 3128);
    EXPECT_EQ(app.Record.Prefs.ProxyUse, 1);
    ASSERT_EQ(app.Record.Prefs.LoadAtWinStartup, 1);
    EXPECT_TRUE(std::filesystem::exists(temp / "config" / "autostart" / "Kestrovin.desktop"));

    // Proxy use without a host is not stored as such.
    account.ProxyHost = "";
    app.TakeOverSetup(account);
    EXPECT_EQ(app.Record.Prefs.ProxyUse, 0);
    EXPECT_EQ(app.Record.Prefs.ProxyPort, 3128);
}

// The first thing written at start, the note that no tray is there yet (none is on the
// offscreen platform), already goes to the folder of the mode, and leftovers of interrupted
// saves are gone by then.
TEST_F(SkeldAppTest, InPortableModeTheFirstLogLineGoesBesideTheProgram) {
    const std::filesystem::path program = temp / "program";
    std::filesystem::create_directories(program);
    std::ofstream(program / "portable.txt") << "yes!";
    std::ofstream(program / "settings.ini.Zz9Yy8") << "ProxyPass=secret";

    CSkeldApp app(DataFolder(program, temp / "data"));
    app.DecideMode();
    app.CreateTrayIcon();

    EXPECT_TRUE(app.Record.Prefs.PortableMode);
    EXPECT_TRUE(std::filesystem::exists(program / "Debug.log"));
    EXPECT_FALSE(std::filesystem::exists(temp / "data" / "Kestrovin" / "Debug.log"));
    EXPECT_FALSE(std::filesystem::exists(program / "settings.ini.Zz9Yy8"));
}

TEST_F(SkeldAppTest, DiscardingTheStateDeletesTheStateFilesAndStopsSaving) {
    const std::filesystem::path folder = temp / "data" / "Kestrovin";
    std::filesystem::create_directories(folder);
    for (const char* name : {"Kestrovin.ksv", "Kestrovin.ksv.bak", "keyfreq.bin"}) {
        std::ofstream(folder / name) << "x";
    }

    CSkeldApp app;
    app.DiscardState();
    app.DiscardState();  // missing files are no failure

    EXPECT_EQ(app.LoggedOff, 2);
    EXPECT_FALSE(std::filesystem::exists(folder / "Kestrovin.ksv"));
    EXPECT_FALSE(std::filesystem::exists(folder / "Kestrovin.ksv.bak"));
    EXPECT_TRUE(std::filesystem::exists(folder / "keyfreq.bin"));
}

// Every message box shown while `run` runs, answered with OK.
std::vector<QString> MessagesWhile(const std::function<void()>& run) {
    std::vector<QString> shown;
    QTimer answer;
    answer.setInterval(10);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown.push_back(box->text());
            box->accept();
        }
    });
    answer.start();
    run();
    return shown;
}

// Root opens any node, so the refusal is an entry that cannot be opened for another reason
// (a socket); a user outside the input group meets "Permission denied" the same way.
TEST_F(SkeldAppTest, InAWaylandSessionUnreadableDevicesAreToldOnceWithTheRemedy) {
    StartAsWaylandSession();
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string node = (temp / "devices" / "event0").string();
    ASSERT_LT(node.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, node.c_str());
    ASSERT_EQ(::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    CSkeldApp app;
    UseDevices(app);
    bool started = true;
    const std::vector<QString> shown = MessagesWhile([&] { started = app.InitInstance(); });
    app.ExitInstance();
    ::close(socket);

    EXPECT_FALSE(started);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].startsWith("Registering raw input device failed!\n\n"))
        << shown[0].toStdString();
    EXPECT_TRUE(
        shown[0].contains("add yourself to the input group: sudo usermod -aG input $USER, "
                          "then log in again"))
        << shown[0].toStdString();
}

// The program starts with no X display at all and counts the keys of a keyboard plugged in
// while it runs.
TEST_F(SkeldAppTest, InAWaylandSessionKeysCountWithoutAnXDisplay) {
    StartAsWaylandSession();
    {
        CSkeldApp before;
        before.DecideMode();
        before.Record.Account.NewAccount = 0;
        before.Record.Account.UserName = "wayland";
        before.Record.Prefs.ShowSplash = 0;
        before.Record.Prefs.KeepFreq = 1;
        before.SaveAll();
    }
    CSkeldApp app;
    UseDevices(app);
    bool started = false;
    const std::vector<QString> shown = MessagesWhile([&] { started = app.InitInstance(); });
    ASSERT_TRUE(started) << (shown.empty() ? "" : shown.front().toStdString());
    const std::int32_t keysBefore = app.Record.Account.TotalKeys;

    const std::filesystem::path node = temp / "devices" / "event4";
    ASSERT_EQ(::mkfifo(node.c_str(), 0600), 0);
    int writer = -1;
    QElapsedTimer waited;
    waited.start();
    // The program opens the new node when its event loop takes the folder's change notice.
    while (writer < 0 && waited.elapsed() < 10000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        writer = ::open(node.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    }
    ASSERT_GE(writer, 0) << "the program did not open the plugged-in keyboard";
    std::vector<input_event> typed;
    for (const unsigned short code : {KEY_W, KEY_A, KEY_Y}) {
        for (const int value : {1, 2, 0}) {
            typed.push_back(InputEvent(EV_KEY, code, value));
            typed.push_back(input_event{{}, EV_SYN, SYN_REPORT, 0});
        }
    }
    const auto size = static_cast<ssize_t>(typed.size() * sizeof(input_event));
    ASSERT_EQ(::write(writer, typed.data(), static_cast<size_t>(size)), size);
    while (app.Record.Account.TotalKeys < keysBefore + 3 && waited.elapsed() < 10000) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    ::close(writer);
    app.ExitInstance();
    // The program's handlers of the session's end go with it.
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        ::signal(signal, SIG_DFL);
    }

    EXPECT_EQ(app.Record.Account.TotalKeys, keysBefore + 3);
    std::ifstream log(temp / "data" / "Kestrovin" / "Debug.log");
    const std::string logged((std::istreambuf_iterator<char>(log)), {});
    EXPECT_NE(logged.find("Reading the input devices: none yet"), std::string::npos) << logged;
    EXPECT_EQ(app.Frequencies.Entries(), (KeyFrequencyTable::Counts{{'W', 1}, {'A', 1}, {'Y', 1}}));
}

}  // namespace
