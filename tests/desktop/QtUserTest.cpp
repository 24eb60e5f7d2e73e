// The desktop's handler for pages and folders, when there is none.
#include "desktop/QtUser.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <string>

#include "desktop/SystemTray.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

namespace {

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

}  // namespace
