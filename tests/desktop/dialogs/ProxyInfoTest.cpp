#include "desktop/dialogs/ProxyInfo.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "support/DialogScreenshot.h"
#include "support/RecordingUser.h"

namespace {

class ProxyInfoTest : public testing::Test {
protected:
    // Opens the dialog on the given values, as the setup assistant does.
    void Open(const std::string& host, std::uint32_t port, const std::string& name = "",
              const std::string& password = "") {
        dialog.Host = host;
        dialog.Port = port;
        dialog.User = name;
        dialog.Password = password;
        dialog.UseAuthentication = 1;
        dialog.show();
    }

    RecordingUser user;
    CProxyInfo dialog{user};
};

TEST_F(ProxyInfoTest, ShowsTheCallersValues) {
    Open("proxy.example", 3128, "pat", "pw");
    EXPECT_EQ(dialog.windowTitle(), "Proxy Information");
    EXPECT_EQ(dialog.HostField()->text(), "proxy.example");
    EXPECT_EQ(dialog.PortField()->text(), "3128");
    EXPECT_TRUE(dialog.AuthenticationBox()->isChecked());
    EXPECT_EQ(dialog.UserField()->text(), "pat");
    EXPECT_EQ(dialog.PasswordField()->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(dialog.UseProxyButton()->isDefault());
    EXPECT_TRUE(SaveDialogScreenshot(dialog, "proxy"));
}

TEST_F(ProxyInfoTest, UseProxyChecksPortThenCredentialLengths) {
    struct Case {
        std::uint32_t Port;
        std::size_t UserLength;
        std::size_t PasswordLength;
        const char* Message;  // nullptr: accepted without one
        std::int32_t UseProxy;
    };
    const Case cases[] = {
        {0, 0, 0, CProxyInfo::PortRangeMessage, 0},
        {65536, 0, 0, CProxyInfo::PortRangeMessage, 0},
        {0, 300, 0, CProxyInfo::PortRangeMessage, 0},  // the port is checked first
        {1, 0, 0, nullptr, 1},
        {65535, 255, 255, nullptr, 1},
        {8080, 256, 0, CProxyInfo::UserLengthMessage, 0},
        {8080, 0, 256, CProxyInfo::UserLengthMessage, 0},
    };
    for (const Case& c : cases) {
        RecordingUser caseUser;
        CProxyInfo proxy(caseUser);
        proxy.Host = "proxy.example";
        proxy.show();
        proxy.PortField()->setText(QString::number(c.Port));
        proxy.UserField()->setText(QString(static_cast<qsizetype>(c.UserLength), QChar('u')));
        proxy.PasswordField()->setText(
            QString(static_cast<qsizetype>(c.PasswordLength), QChar('p')));
        proxy.UseProxyButton()->click();

        SCOPED_TRACE(testing::Message()
                     << c.Port << " " << c.UserLength << " " << c.PasswordLength);
        EXPECT_EQ(proxy.result(), QDialog::Accepted);
        EXPECT_EQ(proxy.UseProxy, c.UseProxy);
        EXPECT_EQ(caseUser.messages, c.Message != nullptr ? std::vector<std::string>{c.Message}
                                                          : std::vector<std::string>{});
        EXPECT_EQ(proxy.Port, c.Port);
        EXPECT_EQ(proxy.User.size(), c.UserLength);
    }
}

TEST_F(ProxyInfoTest, UseProxyWithoutAHostTurnsTheProxyOff) {
    Open("", 3128);
    dialog.UseProxyButton()->click();

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.UseProxy, 0);
    EXPECT_EQ(user.messages, std::vector<std::string>{CProxyInfo::HostMissingMessage});
}

TEST_F(ProxyInfoTest, DontUseProxyEmptiesHostAndPort) {
    Open("proxy.example", 3128, "pat", "pw");
    dialog.PortField()->clear();  // not even an empty port stops it
    dialog.DontUseProxyButton()->click();

    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Host, "");
    EXPECT_EQ(dialog.Port, 0u);
    EXPECT_EQ(dialog.UseProxy, 0);
    EXPECT_EQ(dialog.User, "pat");
    EXPECT_TRUE(user.messages.empty());
}

TEST_F(ProxyInfoTest, AnEmptyPortIsRefusedAndTheDialogStaysOpen) {
    Open("proxy.example", 3128);
    dialog.PortField()->clear();
    dialog.UseProxyButton()->click();

    EXPECT_EQ(user.messages, std::vector<std::string>{CProxyInfo::PortMissingMessage});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.Port, 3128u) << "nothing is taken from a refused entry";
}

TEST_F(ProxyInfoTest, ThePortFieldTakesDigitsOnly) {
    Open("", 0);
    dialog.PortField()->clear();
    QTest::keyClicks(dialog.PortField(), "8a0-8 0");
    EXPECT_EQ(dialog.PortField()->text(), "8080");
}

}  // namespace
