#pragma once

#include <QDialog>
#include <string>

class QLineEdit;
class QPushButton;
class UserPort;

// Asks for the old password and the new one twice. It ends with OK only when both new
// passwords are the same; whether the old one is right is for the caller to decide.
class CChangePasswordDlg final : public QDialog {
    Q_OBJECT

public:
    explicit CChangePasswordDlg(UserPort& user, QWidget* parent = nullptr);

    // What the fields held when the dialog ended with OK.
    std::string OldPassword;
    std::string NewPassword;

    static constexpr const char* MismatchMessage = "Passwords don't match!";

    QLineEdit* OldPasswordField() const { return old_; }
    QLineEdit* NewPasswordField() const { return new_; }
    QLineEdit* NewPasswordAgainField() const { return again_; }
    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }

private:
    void OnOk();

    UserPort& userPort_;
    QLineEdit* old_;
    QLineEdit* new_;
    QLineEdit* again_;
    QPushButton* ok_;
    QPushButton* cancel_;
};
