// The main frame's own timers, on the offscreen platform with an input source that stays quiet.
#include "desktop/MainFrame.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QMetaObject>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <vector>

#include "desktop/SkeldApp.h"
#include "desktop/SystemTray.h"
#include "desktop/dialogs/AccountInfo.h"
#include "desktop/dialogs/DebugLog.h"
#include "desktop/dialogs/LogList.h"
#include "desktop/dialogs/PageFrequencies.h"
#include "desktop/dialogs/SettingsTabs.h"
#include "files/FileIo.h"
#include "ports/InputSource.h"
#include "ports/PointerPort.h"
#include "support/RecordingPorts.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

// No input ever arrives: its descriptor is the read end of a pipe nobody writes to.
class QuietInput final : public InputSource {
public:
    QuietInput() {
        if (::pipe(pipe_) != 0) {
            pipe_[0] = pipe_[1] = -1;
        }
    }
    ~QuietInput() override {
        ::close(pipe_[0]);
        ::close(pipe_[1]);
    }
    int FileDescriptor() const override { return pipe_[0]; }
    bool Dispatch(const InputHandler&, const HotKeyHandler&, std::string*) override { return true; }
    bool RegisterHotKey(std::string*) override { return true; }
    void UnregisterHotKey() override {}
    KeyStatePort& KeyState() override { return keys_; }

private:
    int pipe_[2];
    HeldKeys keys_;
};

class StillPointer final : public PointerPort {
public:
    void MeasurePixelsPerInch(std::int32_t& perInchX, std::int32_t& perInchY) override {
        perInchX = perInchY = 96;
    }
    bool GetCursorPos(std::int32_t& x, std::int32_t& y) override {
        x = y = 0;
        return true;
    }
    bool IsRemoteSession() override { return false; }
};

class MainFrameTest : public ::testing::Test {
protected:
    MainFrameTest() {
        environment.Set("HOME", (temp / "home").string());
        environment.Set("XDG_DATA_HOME", (temp / "data").string());
        environment.Set("XDG_CONFIG_HOME", (temp / "config").string());
        fs::create_directories(temp / "home");
        app.Record.Account.UserName = "alice";
        app.Record.Account.TotalKeys = 4321;
    }

    fs::path Output() const { return app.Folder().GetDataFilePath("Kestrovin.xml", false); }

    TempFolder temp;
    ScopedEnvironment environment;
    CSkeldApp app{DataFolder(temp / "program", temp / "data")};
    CSystemTray tray;
};

// Timer 1110, as it fires every five minutes: the template from the current folder (the home
// folder when started from the desktop) filled into Kestrovin.xml in the data folder.
TEST_F(MainFrameTest, TheTemplateTimerWritesTheOutputIntoTheDataFolder) {
    app.Record.Prefs.GenXML = 1;
    CMainFrame frame(app, tray, std::make_unique<QuietInput>(), std::make_unique<StillPointer>());
    std::ofstream(temp / "home" / "Kestrovin.tpl") << "<keys user=\"[KV_USERNAME]\">[KV_TOTALKEYS]"
                                                      "</keys>\n";
    frame.StartTimers();
    QTimer* timer = frame.Timer(MainTimer::TemplateOutput);
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 300000);
    EXPECT_FALSE(fs::exists(Output())) << "written before the timer fired";

    const fs::path before = fs::current_path();
    fs::current_path(temp / "home");
    QMetaObject::invokeMethod(timer, "timeout");
    EXPECT_EQ(ReadWholeFile(Output()), "<keys user=\"alice\">4321</keys>\n");
    // Each run writes the figures of the moment.
    app.Record.Account.TotalKeys = 4322;
    QMetaObject::invokeMethod(timer, "timeout");
    fs::current_path(before);
    EXPECT_EQ(ReadWholeFile(Output()), "<keys user=\"alice\">4322</keys>\n");
}

// A template over 1 MiB is not read, let alone filled on the timer: the output stays, the
// debug log says why, and the user sees the message of any output that failed.
TEST_F(MainFrameTest, TheTemplateTimerRefusesATemplateOverTheLimit) {
    app.Record.Prefs.GenXML = 1;
    CMainFrame frame(app, tray, std::make_unique<QuietInput>(), std::make_unique<StillPointer>());
    fs::create_directories(Output().parent_path());
    std::ofstream(Output()) << "earlier output";
    std::ofstream(temp / "home" / "Kestrovin.tpl") << "[KV_USERNAME]";
    fs::resize_file(temp / "home" / "Kestrovin.tpl", 1024 * 1024 + 1);
    frame.StartTimers();
    QTimer* timer = frame.Timer(MainTimer::TemplateOutput);
    ASSERT_NE(timer, nullptr);

    std::string shown;
    QTimer::singleShot(0, &frame, [&shown] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = box->text().toStdString();
        box->button(QMessageBox::Ok)->click();
    });
    const fs::path before = fs::current_path();
    fs::current_path(temp / "home");
    QMetaObject::invokeMethod(timer, "timeout");
    fs::current_path(before);
    EXPECT_EQ(shown, "Error: XML file in use by another process!");
    EXPECT_TRUE(ReadWholeFile(Output()) == "earlier output") << "the output was replaced";
    const auto debugLog = ReadWholeFile(app.Folder().GetDataFilePath("Debug.log", false));
    ASSERT_TRUE(debugLog.has_value());
    EXPECT_NE(debugLog->find("Kestrovin.tpl is larger than 1 MiB"), std::string::npos) << *debugLog;
}

// Without GenXML the timer does not run until the preferences switch it on.
TEST_F(MainFrameTest, TheTemplateTimerStartsWhenSwitchedOnLater) {
    CMainFrame frame(app, tray, std::make_unique<QuietInput>(), std::make_unique<StillPointer>());
    frame.StartTimers();
    EXPECT_EQ(frame.Timer(MainTimer::TemplateOutput), nullptr);
    frame.StartTemplateOutputTimer();
    QTimer* timer = frame.Timer(MainTimer::TemplateOutput);
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 300000);
    // Started once: switching it on again leaves the running timer alone.
    frame.StartTemplateOutputTimer();
    EXPECT_EQ(frame.Timer(MainTimer::TemplateOutput), timer);
}

// The visible dialogs of class `Dialog`.
template <typename Dialog>
std::vector<Dialog*> Shown() {
    std::vector<Dialog*> shown;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<Dialog*>(window);
            dialog != nullptr && dialog->isVisible()) {
            shown.push_back(dialog);
        }
    }
    return shown;
}

// The tray's dialogs open beside the program: the command returns at once, so the tray menu,
// the timers and skelds go on while they show, and a second request brings the open one
// forward rather than opening another.
TEST_F(MainFrameTest, TrayDialogsOpenBesideTheProgramOnceEach) {
    CMainFrame frame(app, tray, std::make_unique<QuietInput>(), std::make_unique<StillPointer>());
    const struct {
        TrayCommand Command;
        std::function<std::size_t()> Count;
    } dialogs[] = {
        {TrayCommand::AccountDetails, [] { return Shown<CAccountInfo>().size(); }},
        {TrayCommand::Preferences, [] { return Shown<CSettingsTabs>().size(); }},
        {TrayCommand::KeyFrequencies, [] { return Shown<CPageFrequencies>().size(); }},
        {TrayCommand::SkeldLog, [] { return Shown<CLogList>().size(); }},
        {TrayCommand::DebugLog, [] { return Shown<CDebugLog>().size(); }},
    };
    for (const auto& d : dialogs) {
        SCOPED_TRACE(static_cast<int>(d.Command));
        frame.OnCommand(d.Command);  // returns: nothing waits for the dialog
        EXPECT_EQ(d.Count(), 1u);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        frame.OnCommand(d.Command);
        EXPECT_EQ(d.Count(), 1u) << "a second request opened another";
    }
    // All five are open together, and each goes when closed.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (qobject_cast<QDialog*>(window) != nullptr && window->isVisible()) {
            window->close();
        }
    }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (const auto& d : dialogs) {
        EXPECT_EQ(d.Count(), 0u);
    }
}

// Keys typed while Key Frequencies is open count on; only a reset of the chart in the dialog
// starts "Keystrokes since last reset" again, at the moment of the reset.
TEST_F(MainFrameTest, KeysTypedWhileKeyFrequenciesIsOpenStayCounted) {
    CMainFrame frame(app, tray, std::make_unique<QuietInput>(), std::make_unique<StillPointer>());
    app.Record.Account.KeysSinceLastReset = 100;
    frame.OnCommand(TrayCommand::KeyFrequencies);
    ASSERT_EQ(Shown<CPageFrequencies>().size(), 1u);
    app.Record.Account.KeysSinceLastReset += 7;  // typed meanwhile
    Shown<CPageFrequencies>()[0]->CloseButton()->click();
    EXPECT_EQ(app.Record.Account.KeysSinceLastReset, 107);

    frame.OnCommand(TrayCommand::KeyFrequencies);
    ASSERT_EQ(Shown<CPageFrequencies>().size(), 1u);
    CPageFrequencies* page = Shown<CPageFrequencies>()[0];
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        box->button(QMessageBox::Yes)->click();
    });
    page->ResetButton()->click();
    EXPECT_EQ(app.Record.Account.KeysSinceLastReset, 0);
    EXPECT_GT(app.Record.Account.LastReset, 1'600'000'000);
    app.Record.Account.KeysSinceLastReset += 3;  // typed after the reset
    page->reject();
    EXPECT_EQ(app.Record.Account.KeysSinceLastReset, 3);
}

}  // namespace
