#pragma once

#include <QDialog>
#include <cstdint>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class UserPort;

// The proxy server details, asked for before the account exists. The caller fills the public
// members, runs the dialog and, when it ends with OK, takes them back together with UseProxy.
class CProxyInfo final : public QDialog {
    Q_OBJECT

public:
    explicit CProxyInfo(UserPort& user, QWidget* parent = nullptr);

    std::string Host;
    std::uint32_t Port = 0;
    std::int32_t UseAuthentication = 0;
    std::string User;
    std::string Password;
    // The outcome: 1 when the details are to be used, 0 otherwise.
    std::int32_t UseProxy = 0;

    static constexpr const char* PortRangeMessage =
        "The proxy server port must between 1 and 65535! - disabling proxy settings";
    static constexpr const char* UserLengthMessage =
        "The proxy user must be under 255 chars! - disabling proxy settings";
    static constexpr const char* PortMissingMessage = "Please enter a port number.";
    static constexpr const char* HostMissingMessage =
        "The proxy server needs a hostname! - disabling proxy settings";

    QLineEdit* HostField() const { return host_; }
    QLineEdit* PortField() const { return port_; }
    QCheckBox* AuthenticationBox() const { return authentication_; }
    QLineEdit* UserField() const { return user_; }
    QLineEdit* PasswordField() const { return password_; }
    QPushButton* UseProxyButton() const { return useProxy_; }
    QPushButton* DontUseProxyButton() const { return dontUseProxy_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnUseProxy();
    void OnDontUseProxy();
    // Copies the fields into the members; false (after telling the user) when the port field
    // holds no number, and the dialog stays open.
    bool ReadFields();

    UserPort& userPort_;
    QLineEdit* host_;
    QLineEdit* port_;
    QCheckBox* authentication_;
    QLineEdit* user_;
    QLineEdit* password_;
    QPushButton* useProxy_;
    QPushButton* dontUseProxy_;
};
