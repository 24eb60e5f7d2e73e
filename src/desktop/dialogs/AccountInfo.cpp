#include "desktop/dialogs/AccountInfo.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "counting/AccountState.h"
#include "desktop/dialogs/ChangePasswordDlg.h"
#include "desktop/dialogs/EnterForDefaultButton.h"
#include "ports/UserPort.h"
#include "server/NewRandomPassword.h"

namespace {

QLineEdit* ReadOnlyField() {
    auto* field = new QLineEdit;
    field->setReadOnly(true);
    return field;
}

}  // namespace

CAccountInfo::CAccountInfo(AccountState& account, UserPort& user, std::string webSite,
                           ResetPasswordRequest resetPassword, QWidget* parent)
    : QDialog(parent),
      account_(account),
      userPort_(user),
      webSite_(std::move(webSite)),
      resetPasswordRequest_(std::move(resetPassword)),
      userNameCopy_(account.UserName),
      emailCopy_(account.Email),
      userIdCopy_(static_cast<std::uint32_t>(account.UserID)),
      computerNameCopy_(account.ComputerName),
      passwordCopy_(account.Password),
      userName_(ReadOnlyField()),
      email_(ReadOnlyField()),
      userId_(ReadOnlyField()),
      computerName_(ReadOnlyField()),
      password_(ReadOnlyField()),
      changePassword_(new QPushButton(QStringLiteral("&Change Password..."))),
      resetPassword_(new QPushButton(QStringLiteral("&Reset Password..."))),
      ok_(new QPushButton(QStringLiteral("OK"))) {
    setWindowTitle(QStringLiteral("Your Local Account Details"));
    password_->setEchoMode(QLineEdit::Password);

    auto* details = new QGroupBox(QStringLiteral("Account Details"));
    auto* detailsForm = new QFormLayout(details);
    detailsForm->addRow(QStringLiteral("Account Name:"), userName_);
    detailsForm->addRow(QStringLiteral("Email:"), email_);
    detailsForm->addRow(QStringLiteral("User ID:"), userId_);
    detailsForm->addRow(QStringLiteral("Computer Name:"), computerName_);

    auto* passwordGroup = new QGroupBox(QStringLiteral("Password"));
    auto* passwordLayout = new QVBoxLayout(passwordGroup);
    auto* passwordForm = new QFormLayout;
    passwordForm->addRow(QStringLiteral("Password:"), password_);
    auto* passwordButtons = new QHBoxLayout;
    passwordButtons->addWidget(changePassword_);
    passwordButtons->addWidget(resetPassword_);
    passwordLayout->addLayout(passwordForm);
    passwordLayout->addLayout(passwordButtons);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    ok_->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(details);
    layout->addWidget(passwordGroup);
    layout->addLayout(buttons);
    // Room for a long e-mail address at the user's font.
    setMinimumWidth(fontMetrics().averageCharWidth() * 60);
    LeaveEnterToDefaultButton(*this);

    connect(changePassword_, &QPushButton::clicked, this, &CAccountInfo::OnChangePassword);
    connect(resetPassword_, &QPushButton::clicked, this, &CAccountInfo::OnResetPassword);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    ShowCopies();
    ok_->setFocus();
}

void CAccountInfo::ShowCopies() {
    userName_->setText(QString::fromStdString(userNameCopy_));
    email_->setText(QString::fromStdString(emailCopy_));
    userId_->setText(QString::number(userIdCopy_));
    computerName_->setText(QString::fromStdString(computerNameCopy_));
    password_->setText(QString::fromStdString(passwordCopy_));
}

void CAccountInfo::OnChangePassword() {
    CChangePasswordDlg change(userPort_, this);
    // Holds only this dialog; the tray goes on meanwhile.
    change.setWindowModality(Qt::WindowModal);
    if (change.exec() != QDialog::Accepted) {
        userPort_.ShowMessage(CancelledMessage);
    } else if (change.OldPassword != passwordCopy_) {
        userPort_.ShowMessage(WrongOldPasswordMessage);
    } else {
        // Only the local copy changes; the server keeps the old password until the user
        // changes it on the web site too. It reaches the state file at the next save.
        account_.Password = change.NewPassword;
        userPort_.ShowMessage("Your password has been changed. You must do the same on " +
                              webSite_ + "!");
    }
    ShowCopies();
}

void CAccountInfo::OnResetPassword() {
    if (!userPort_.AskYesNo(ResetQuestion, UserPort::Icon::Question, UserPort::EnterAnswers::No)) {
        return;
    }
    resetPasswordRequest_(NewRandomPassword());
    ShowCopies();
}
