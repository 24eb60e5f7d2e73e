// Enter in every dialog: whichever button has the focus (after a click, or reached with Tab),
// Enter presses the dialog's default button and nothing else; and no button that destroys
// something has the focus when a dialog opens.
#include "desktop/dialogs/EnterForDefaultButton.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "counting/KeyFrequencyTable.h"
#include "desktop/assistant/NewAccountDlg.h"
#include "desktop/dialogs/AccountInfo.h"
#include "desktop/dialogs/ChangePasswordDlg.h"
#include "desktop/dialogs/DebugLog.h"
#include "desktop/dialogs/LogList.h"
#include "desktop/dialogs/PageFrequencies.h"
#include "desktop/dialogs/ProxyInfo.h"
#include "desktop/dialogs/SettingsTabs.h"
#include "persistence/LogFile.h"
#include "ports/Clock.h"
#include "server/RequestFixture.h"
#include "support/TempFolder.h"

namespace {

class EnterForDefaultButtonTest : public RequestFixture {
protected:
    struct DialogCase {
        const char* Name;
        std::function<std::unique_ptr<QDialog>()> Make;
        const char* Default;  // the text of the button Enter must press
    };

    KeyFrequencyTable frequencies;
    TempFolder logs;
    Preferences prefs;

    std::unique_ptr<CNewAccountDlg> Assistant() {
        return std::make_unique<CNewAccountDlg>([this] { return Context(); }, user, [] {});
    }

    std::vector<DialogCase> Dialogs() {
        return {
            {"key frequencies",
             [this] {
                 return std::make_unique<CPageFrequencies>(
                     frequencies, KeyFrequencyReport::Figures{}, user, SystemClock::Instance(),
                     [](const std::string&) {},
                     [](const std::string&, const std::string&) { return std::nullopt; });
             },
             "&Close"},
            {"skeld log",
             [this] { return std::make_unique<CLogList>(LogFile(logs / "Skelds.log"), user); },
             "&Close"},
            {"debug log",
             [this] { return std::make_unique<CDebugLog>(LogFile(logs / "Debug.log"), user); },
             "&Close"},
            {"preferences",
             [this] {
                 return std::make_unique<CSettingsTabs>(SettingsPages::From(prefs), prefs, user);
             },
             "Save"},
            {"account details",
             [this] {
                 return std::make_unique<CAccountInfo>(Account(), user, "http://web.example",
                                                       [](const std::string&) {});
             },
             "OK"},
            {"change password", [this] { return std::make_unique<CChangePasswordDlg>(user); },
             "OK"},
            {"proxy", [this] { return std::make_unique<CProxyInfo>(user); }, "Use &Proxy"},
            {"setup assistant, start page", [this] { return Assistant(); }, "Continue"},
            {"setup assistant, registration page",
             [this] {
                 auto dialog = Assistant();
                 qobject_cast<QRadioButton*>(dialog->Control(CNewAccountDlg::NewAccountRadio))
                     ->setChecked(true);
                 dialog->Button(CNewAccountDlg::ContinueButton)->click();
                 return dialog;
             },
             "Register"},
            {"setup assistant, login page",
             [this] {
                 auto dialog = Assistant();
                 dialog->Button(CNewAccountDlg::ContinueButton)->click();
                 return dialog;
             },
             "Check for Computer Names"},
        };
    }
};

// The texts of the buttons of `dialog` that the user can press.
std::vector<QString> PressableButtons(QDialog& dialog) {
    std::vector<QString> texts;
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->isVisible() && button->isEnabled()) {
            texts.push_back(button->text());
        }
    }
    return texts;
}

// The buttons that destroy something: the log, the key tally, the password, the skin.
const QString kDestructive[] = {"&Empty Log", "Reset chart", "&Reset Password...",
                                "Set Default Values"};

QPushButton* ButtonNamed(QDialog& dialog, const QString& text) {
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        if (button->text() == text) {
            return button;
        }
    }
    return nullptr;
}

TEST_F(EnterForDefaultButtonTest, EnterPressesTheDefaultButtonWhateverHasTheFocus) {
    for (const DialogCase& c : Dialogs()) {
        auto probe = c.Make();
        probe->show();
        for (const QString& focused : PressableButtons(*probe)) {
            SCOPED_TRACE(std::string(c.Name) + ", focus on " + focused.toStdString());
            // A fresh dialog for each button: the default button may close it.
            auto dialog = c.Make();
            dialog->show();
            dialog->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
            std::vector<std::string> pressed;
            for (QPushButton* button : dialog->findChildren<QPushButton*>()) {
                QObject::connect(button, &QPushButton::pressed, [&pressed, button] {
                    pressed.push_back(button->text().toStdString());
                });
            }
            QPushButton* button = ButtonNamed(*dialog, focused);
            ASSERT_NE(button, nullptr);
            button->setFocus(Qt::MouseFocusReason);
            ASSERT_TRUE(button->hasFocus());
            // Should the wrong button open a dialog of its own, close it again rather than
            // wait for ever.
            // (A timer of this case's own, so that it cannot fire in a later one.)
            QDialog* const tested = dialog.get();
            QTimer guard;
            guard.setSingleShot(true);
            QObject::connect(&guard, &QTimer::timeout, [tested] {
                if (auto* other = qobject_cast<QDialog*>(QApplication::activeModalWidget());
                    other != nullptr && other != tested) {
                    other->reject();
                }
            });
            guard.start(0);

            QTest::keyClick(button, Qt::Key_Return);
            EXPECT_EQ(pressed, std::vector<std::string>{c.Default});
        }
    }
}

TEST_F(EnterForDefaultButtonTest, NoButtonThatDestroysTakesTheFirstFocus) {
    for (const DialogCase& c : Dialogs()) {
        SCOPED_TRACE(c.Name);
        auto dialog = c.Make();
        dialog->show();
        dialog->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        const auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
        for (const QString& destructive : kDestructive) {
            EXPECT_FALSE(focused != nullptr && focused->text() == destructive)
                << destructive.toStdString() << " has the first focus";
        }
    }
}

}  // namespace
