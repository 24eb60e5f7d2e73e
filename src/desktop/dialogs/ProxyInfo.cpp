#include "desktop/dialogs/ProxyInfo.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>
#include <limits>

#include "desktop/dialogs/EnterForDefaultButton.h"
#include "ports/UserPort.h"
#include "server/ProxyUsable.h"

namespace {

// The longest user name or password a proxy takes, in characters.
constexpr qsizetype kMaxProxyCredential = 255;

}  // namespace

CProxyInfo::CProxyInfo(UserPort& user, QWidget* parent)
    : QDialog(parent),
      userPort_(user),
      host_(new QLineEdit),
      port_(new QLineEdit),
      authentication_(new QCheckBox(QStringLiteral("Use Authentication"))),
      user_(new QLineEdit),
      password_(new QLineEdit),
      useProxy_(new QPushButton(QStringLiteral("Use &Proxy"))),
      dontUseProxy_(new QPushButton(QStringLiteral("Don't Use Proxy"))) {
    setWindowTitle(QStringLiteral("Proxy Information"));
    port_->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,10}")), port_));
    password_->setEchoMode(QLineEdit::Password);
    // Room for a full host name at the user's font; the other fields follow in the form.
    host_->setMinimumWidth(fontMetrics().averageCharWidth() * 30);

    auto* group = new QGroupBox(QStringLiteral("Proxy Server Information"));
    auto* form = new QFormLayout(group);
    form->addRow(QStringLiteral("Hostname:"), host_);
    form->addRow(QStringLiteral("Port:"), port_);
    form->addRow(authentication_);
    form->addRow(QStringLiteral("Username:"), user_);
    form->addRow(QStringLiteral("Password:"), password_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(useProxy_);
    buttons->addWidget(dontUseProxy_);
    useProxy_->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    LeaveEnterToDefaultButton(*this);

    connect(useProxy_, &QPushButton::clicked, this, &CProxyInfo::OnUseProxy);
    connect(dontUseProxy_, &QPushButton::clicked, this, &CProxyInfo::OnDontUseProxy);
}

void CProxyInfo::showEvent(QShowEvent* event) {
    host_->setText(QString::fromStdString(Host));
    port_->setText(QString::number(Port));
    authentication_->setChecked(UseAuthentication != 0);
    user_->setText(QString::fromStdString(User));
    password_->setText(QString::fromStdString(Password));
    QDialog::showEvent(event);
}

bool CProxyInfo::ReadFields() {
    bool number = false;
    const qulonglong port = port_->text().toULongLong(&number);
    if (!number || port > std::numeric_limits<std::uint32_t>::max()) {
        userPort_.ShowMessage(PortMissingMessage, UserPort::Icon::Exclamation);
        port_->setFocus();
        return false;
    }
    Host = host_->text().toStdString();
    Port = static_cast<std::uint32_t>(port);
    UseAuthentication = authentication_->isChecked() ? 1 : 0;
    User = user_->text().toStdString();
    Password = password_->text().toStdString();
    return true;
}

void CProxyInfo::OnDontUseProxy() {
    port_->setText(QStringLiteral("0"));
    host_->clear();
    if (!ReadFields()) {
        return;
    }
    UseProxy = 0;
    accept();
}

void CProxyInfo::OnUseProxy() {
    if (!ReadFields()) {
        return;
    }
    if (!ProxyUsable(1, Host)) {
        userPort_.ShowMessage(HostMissingMessage, UserPort::Icon::Exclamation);
        UseProxy = 0;
    } else if (Port < 1 || Port > 65535) {
        userPort_.ShowMessage(PortRangeMessage, UserPort::Icon::Exclamation);
        UseProxy = 0;
    } else if (user_->text().size() > kMaxProxyCredential ||
               password_->text().size() > kMaxProxyCredential) {
        userPort_.ShowMessage(UserLengthMessage, UserPort::Icon::Exclamation);
        UseProxy = 0;
    } else {
        UseProxy = 1;
    }
    accept();
}
