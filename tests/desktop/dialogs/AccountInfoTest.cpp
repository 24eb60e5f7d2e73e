// The account details dialog and its password dialog through their widgets; the password
// reset goes over HTTP to an in-test server.
#include "desktop/dialogs/AccountInfo.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "desktop/dialogs/ChangePasswordDlg.h"
#include "server/ApplicationServerActions.h"
#include "server/RequestFixture.h"
#include "support/DialogScreenshot.h"

namespace {

using Strings = std::vector<std::string>;

class AccountInfoTest : public RequestFixture {
protected:
    AccountInfoTest() { Account().Email = "alice@example.org"; }

    std::string WebSite() const { return Address().WebPageUrl(""); }

    std::unique_ptr<CAccountInfo> Open() {
        auto dialog = std::make_unique<CAccountInfo>(
            Account(), user, WebSite(), [this](const std::string& newPassword) {
                ApplicationServerActions(Context()).ResetPassword(newPassword);
            });
        dialog->show();
        return dialog;
    }

    // Presses "Change Password..." and fills the password dialog: OK with the three texts, or
    // Cancel when `cancel` is set.
    void ChangePassword(CAccountInfo& dialog, const char* oldPassword, const char* newPassword,
                        const char* again, bool cancel = false) {
        WithChangeDialog(dialog, [=](CChangePasswordDlg& change) {
            change.OldPasswordField()->setText(QString::fromUtf8(oldPassword));
            change.NewPasswordField()->setText(QString::fromUtf8(newPassword));
            change.NewPasswordAgainField()->setText(QString::fromUtf8(again));
            (cancel ? change.CancelButton() : change.OkButton())->click();
        });
    }
    void WithChangeDialog(CAccountInfo& dialog,
                          const std::function<void(CChangePasswordDlg&)>& inside) {
        QTimer::singleShot(0, [inside] {
            auto* change = qobject_cast<CChangePasswordDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(change, nullptr);
            inside(*change);
        });
        dialog.ChangePasswordButton()->click();
    }
};

TEST_F(AccountInfoTest, ShowsTheStoredAccountReadOnly) {
    const auto dialog = Open();
    EXPECT_EQ(dialog->windowTitle(), "Your Local Account Details");
    EXPECT_EQ(dialog->AccountNameField()->text(), "alice");
    EXPECT_EQ(dialog->EmailField()->text(), "alice@example.org");
    EXPECT_EQ(dialog->UserIdField()->text(), "42");
    EXPECT_EQ(dialog->ComputerNameField()->text(), "desk");
    EXPECT_EQ(dialog->PasswordField()->text(), "secret");
    EXPECT_EQ(dialog->PasswordField()->echoMode(), QLineEdit::Password);
    for (QLineEdit* field :
         {dialog->AccountNameField(), dialog->EmailField(), dialog->UserIdField(),
          dialog->ComputerNameField(), dialog->PasswordField()}) {
        EXPECT_TRUE(field->isReadOnly());
    }
    EXPECT_EQ(dialog->ChangePasswordButton()->text(), "&Change Password...");
    EXPECT_EQ(dialog->ResetPasswordButton()->text(), "&Reset Password...");
    EXPECT_TRUE(dialog->OkButton()->isDefault());

    EXPECT_TRUE(SaveDialogScreenshot(*dialog, "account-details"));
}

TEST_F(AccountInfoTest, ChangePasswordOutcomes) {
    struct Case {
        const char* Old;
        const char* New;
        const char* Again;
        bool Cancel;
        Strings Messages;
        std::string Stored;
    };
    const std::string changed =
        "Your password has been changed. You must do the same on " + WebSite() + "!";
    const Case cases[] = {
        {"secret", "n3w", "n3w", true, {CAccountInfo::CancelledMessage}, "secret"},
        {"Secret", "n3w", "n3w", false, {CAccountInfo::WrongOldPasswordMessage}, "secret"},
        {"secret", "n3w", "n3w", false, {changed}, "n3w"},
        {"secret", "", "", false, {changed}, ""},  // two empty new passwords match
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.Old) + " -> " + c.New);
        Account().Password = "secret";
        user.messages.clear();
        const auto dialog = Open();
        ChangePassword(*dialog, c.Old, c.New, c.Again, c.Cancel);
        EXPECT_EQ(user.messages, c.Messages);
        EXPECT_EQ(Account().Password, c.Stored);
        EXPECT_EQ(dialog->PasswordField()->text(), "secret");
    }
    EXPECT_TRUE(server.Requests().empty());  // a change is local only
}

TEST_F(AccountInfoTest, DifferentNewPasswordsKeepThePasswordDialogOpen) {
    const auto dialog = Open();
    WithChangeDialog(*dialog, [this](CChangePasswordDlg& change) {
        change.OldPasswordField()->setText("secret");
        change.NewPasswordField()->setText("n3w");
        change.NewPasswordAgainField()->setText("N3w");
        change.OkButton()->click();
        EXPECT_EQ(user.messages, Strings{CChangePasswordDlg::MismatchMessage});
        EXPECT_TRUE(change.isVisible());
        EXPECT_TRUE(SaveDialogScreenshot(change, "change-password"));
        change.NewPasswordAgainField()->setText("n3w");
        QTest::keyClick(&change, Qt::Key_Return);
    });
    EXPECT_EQ(Account().Password, "n3w");
}

TEST_F(AccountInfoTest, EveryChangeInOneOpeningNeedsThePasswordItOpenedWith) {
    const auto dialog = Open();
    ChangePassword(*dialog, "secret", "one", "one");
    ASSERT_EQ(Account().Password, "one");
    user.messages.clear();
    ChangePassword(*dialog, "one", "two", "two");
    EXPECT_EQ(user.messages, Strings{CAccountInfo::WrongOldPasswordMessage});
    EXPECT_EQ(Account().Password, "one");
    ChangePassword(*dialog, "secret", "two", "two");
    EXPECT_EQ(Account().Password, "two");
    EXPECT_EQ(dialog->PasswordField()->text(), "secret");

    EXPECT_EQ(Open()->PasswordField()->text(), "two");
}

TEST_F(AccountInfoTest, ResetPasswordAsksThenSendsANewRandomPassword) {
    AnswerAction("reset_password", "100 OK");
    const auto dialog = Open();

    dialog->ResetPasswordButton()->click();  // answered No
    EXPECT_EQ(user.questions, Strings{CAccountInfo::ResetQuestion});
    EXPECT_EQ(user.questionIcons.back(), UserPort::Icon::Question);
    EXPECT_TRUE(server.Requests().empty());

    user.answers = {true};
    dialog->ResetPasswordButton()->click();
    ASSERT_EQ(Posted().size(), 1u);
    EXPECT_EQ(PostedValue(Posted()[0], "action"), "reset_password");
    const std::string sent = PostedValue(Posted()[0], "new_password");
    EXPECT_EQ(sent.size(), 10u);
    EXPECT_EQ(sent.find_first_not_of("qwertyuiopasdfghjklzxcvbnm1234567890"), std::string::npos);
    EXPECT_EQ(Account().Password, sent);
    EXPECT_EQ(dialog->PasswordField()->text(), "secret");  // the dialog shows its own copies
}

TEST_F(AccountInfoTest, EscapeEndsIt) {
    CAccountInfo dialog(Account(), user, WebSite(), {});
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

}  // namespace
