// Message boxes above the dialog they belong to, and the desktop's handler for pages and folders
// when there is none and when it refuses.
#include "desktop/QtUser.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "desktop/SystemTray.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

namespace {

using namespace std::chrono_literals;

struct Shown {
    QString Caption;
    QString Text;
    QMessageBox::Icon Icon = QMessageBox::NoIcon;
    bool Selectable = false;  // so the address can be copied
};

// Opens `address` and returns the message box that answered, closed again.
Shown OpenAndRead(QtUser& user, const std::string& address) {
    Shown shown;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr) {
            shown = {box->windowTitle(), box->text(), box->icon(),
                     box->textInteractionFlags().testFlag(Qt::TextSelectableByMouse)};
            box->accept();
        }
    });
    user.Open(address);
    return shown;
}

TEST(QtUserTest, WhatNothingCanOpenIsGivenToTheUserToOpenByHand) {
    // Nothing on the path opens anything: no xdg-open, no browser, no file manager.
    TempFolder emptyPath;
    ScopedEnvironment environment;
    environment.Set("PATH", emptyPath.Path().string());
    environment.Unset("BROWSER");
    environment.Unset("DEFAULT_BROWSER");
    CSystemTray tray;
    QtUser user(tray);

    const struct {
        std::string Address;
        QString Text;
    } cases[] = {
        {"http://127.0.0.1:8080/wiki/",
         "No web browser could be started to open this page. Please open it yourself:\n\n"
         "http://127.0.0.1:8080/wiki/"},
        {emptyPath.Path().string(),
         "No file manager could be started to open this folder. Please open it yourself:\n\n" +
             QString::fromStdString(emptyPath.Path().string())},
    };
    for (const auto& c : cases) {
        const Shown shown = OpenAndRead(user, c.Address);
        EXPECT_EQ(shown.Caption, "Kestrovin") << c.Address;
        EXPECT_EQ(shown.Text, c.Text);
        EXPECT_EQ(shown.Icon, QMessageBox::Warning) << "the exclamation icon of notices";
        EXPECT_TRUE(shown.Selectable);
    }
}

// A question opens above the dialog the user is in, as its child (so the window manager keeps it
// on top and centred on it), holds only that dialog, and a question whose Yes destroys
// something answers No to Enter.
TEST(QtUserTest, AQuestionBelongsToTheDialogOnTopAndEnterKeepsWhatYesWouldDestroy) {
    CSystemTray tray;
    QtUser user(tray);
    QDialog behind;
    behind.show();
    QDialog front;
    front.setWindowFlag(Qt::WindowStaysOnTopHint);
    front.show();
    front.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&front));

    const struct {
        UserPort::EnterAnswers Enter;
        bool Answer;
    } cases[] = {{UserPort::EnterAnswers::Yes, true}, {UserPort::EnterAnswers::No, false}};
    for (const auto& c : cases) {
        QWidget* parent = nullptr;
        Qt::WindowModality modality = Qt::NonModal;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            parent = box->parentWidget();
            modality = box->windowModality();
            QTest::keyClick(box, Qt::Key_Return);
        });
        EXPECT_EQ(user.AskYesNo("Really?", UserPort::Icon::Question, c.Enter), c.Answer);
        EXPECT_EQ(parent, &front);
        EXPECT_EQ(modality, Qt::WindowModal) << "the tray and the other windows stay usable";
    }

    // A box of a dialog that closes meanwhile goes with it instead of holding the program.
    QDialog* closing = new QDialog;
    closing->setAttribute(Qt::WA_DeleteOnClose);
    closing->show();
    QTimer::singleShot(0, [closing] { closing->close(); });
    user.ShowMessage("Gone with its dialog", UserPort::Icon::Information);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// Opens `address` and returns the message box that came within `wait`, closed again, and
// whether it came only after Open had returned. An empty text when none came.
std::pair<Shown, bool> OpenAndReadLater(QtUser& user, const std::string& address,
                                        std::chrono::milliseconds wait) {
    Shown shown;
    bool seen = false;
    bool returned = false;
    bool later = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box != nullptr && !seen) {
            shown = {box->windowTitle(), box->text(), box->icon(),
                     box->textInteractionFlags().testFlag(Qt::TextSelectableByMouse)};
            seen = true;
            later = returned;
            box->accept();
        }
    });
    poll.start(20);
    user.Open(address);
    returned = true;
    static_cast<void>(QTest::qWaitFor([&] { return seen; }, static_cast<int>(wait.count())));
    return {shown, later};
}

TEST(QtUserTest, WhatTheHandlerRefusesToOpenIsGivenToTheUserToOpenByHand) {
    // xdg-open stands for the desktop: it notes what it was asked to open and ends as told, as
    // it does when the browser or file manager it starts fails.
    TempFolder path;
    {
        std::ofstream script(path.Path() / "xdg-open");
        script << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"${0%/*}/asked\"\n"
                  "exit \"$(cat \"${0%/*}/status\")\"\n";
    }
    std::filesystem::permissions(path.Path() / "xdg-open", std::filesystem::perms::owner_all);
    ScopedEnvironment environment;
    environment.Set("PATH", path.Path().string() + ":/usr/bin:/bin");
    CSystemTray tray;
    QtUser user(tray);

    const std::string folder = (path.Path() / "a folder").string();
    const struct {
        std::string Address;
        int Status;
        std::string Asked;  // as xdg-open gets it
        QString Text;       // "" when no message comes
    } cases[] = {
        {"http://127.0.0.1:8080/wiki/", 3, "http://127.0.0.1:8080/wiki/",
         "The web browser could not open this page. Please open it yourself:\n\n"
         "http://127.0.0.1:8080/wiki/"},
        {folder, 4, "file://" + (path.Path() / "a%20folder").string(),
         "The file manager could not open this folder. Please open it yourself:\n\n" +
             QString::fromStdString(folder)},
        {"http://127.0.0.1:8080/stats/", 0, "http://127.0.0.1:8080/stats/", ""},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(path.Path() / "asked");
        std::ofstream(path.Path() / "status") << c.Status;
        const auto [shown, later] =
            OpenAndReadLater(user, c.Address, c.Text.isEmpty() ? 1500ms : 10s);
        EXPECT_EQ(shown.Text.toStdString(), c.Text.toStdString()) << c.Address;
        if (!c.Text.isEmpty()) {
            EXPECT_EQ(shown.Caption, "Kestrovin");
            EXPECT_EQ(shown.Icon, QMessageBox::Warning);
            EXPECT_TRUE(shown.Selectable);
            EXPECT_TRUE(later) << "Open waited for the handler";
        }
        std::ifstream asked(path.Path() / "asked");
        std::string line;
        std::getline(asked, line);
        EXPECT_EQ(line, c.Asked);
    }
}
}  // namespace
