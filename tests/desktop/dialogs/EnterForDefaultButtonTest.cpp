// Enter in every dialog: whichever button has the focus (after a click, or reached with Tab),
// Enter presses the dialog's default button and nothing else.
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

#include "desktop/assistant/NewAccountDlg.h"
#include "desktop/dialogs/AccountInfo.h"
#include "desktop/dialogs/ChangePasswordDlg.h"
#include "desktop/dialogs/ProxyInfo.h"
#include "server/RequestFixture.h"

namespace {

class EnterForDefaultButtonTest : public RequestFixture {
protected:
    struct DialogCase {
        const char* Name;
        std::function<std::unique_ptr<QDialog>()> Make;
        const char* Default;  // the text of the button Enter must press
    };

    std::unique_ptr<CNewAccountDlg> Assistant() {
        return std::make_unique<CNewAccountDlg>([this] { return Context(); }, user, [] {});
    }

    std::vector<DialogCase> Dialogs() {
        return {
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

}  // namespace
