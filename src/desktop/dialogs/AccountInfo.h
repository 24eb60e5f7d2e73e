#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>

struct AccountState;
class QLineEdit;
class QPushButton;
class UserPort;

// "Your Local Account Details": the stored account, read only, with a local password change
// and a password reset asked of the server. It shows, and compares the old password against,
// copies taken when it opened, so a second change in one opening still needs the password it
// opened with.
class CAccountInfo final : public QDialog {
    Q_OBJECT

public:
    // Runs the reset-password request with the new password, to its end.
    using ResetPasswordRequest = std::function<void(const std::string& newPassword)>;

    // `webSite` is the server's page where the password is changed, named in the
    // password-changed message.
    CAccountInfo(AccountState& account, UserPort& user, std::string webSite,
                 ResetPasswordRequest resetPassword, QWidget* parent = nullptr);

    static constexpr const char* CancelledMessage =
        "You cancelled.  Your password was not changed.";
    static constexpr const char* WrongOldPasswordMessage = "Old password wasn't right!";
    static constexpr const char* ResetQuestion = "Do you really want to reset your password?";

    QLineEdit* AccountNameField() const { return userName_; }
    QLineEdit* EmailField() const { return email_; }
    QLineEdit* UserIdField() const { return userId_; }
    QLineEdit* ComputerNameField() const { return computerName_; }
    QLineEdit* PasswordField() const { return password_; }
    QPushButton* ChangePasswordButton() const { return changePassword_; }
    QPushButton* ResetPasswordButton() const { return resetPassword_; }
    QPushButton* OkButton() const { return ok_; }

private:
    void OnChangePassword();
    void OnResetPassword();
    // Shows the copies taken when the dialog opened.
    void ShowCopies();

    AccountState& account_;
    UserPort& userPort_;
    const std::string webSite_;
    const ResetPasswordRequest resetPasswordRequest_;

    const std::string userNameCopy_;
    const std::string emailCopy_;
    const std::uint32_t userIdCopy_;
    const std::string computerNameCopy_;
    const std::string passwordCopy_;

    QLineEdit* userName_;
    QLineEdit* email_;
    QLineEdit* userId_;
    QLineEdit* computerName_;
    QLineEdit* password_;
    QPushButton* changePassword_;
    QPushButton* resetPassword_;
    QPushButton* ok_;
};
