// The setup assistant through its widgets, against canned server replies and against the
// reference statistics server.
#include "desktop/assistant/NewAccountDlg.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "desktop/dialogs/ProxyInfo.h"
#include "server/Communication.h"
#include "server/RequestFixture.h"
#include "support/ClippedControls.h"
#include "support/DialogScreenshot.h"
#include "support/InProcessStatsServer.h"

namespace {

using Dlg = CNewAccountDlg;
using Ids = std::set<int>;

// Every control that comes and goes; the proxy button and Exit / Go Back always show.
const std::vector<int> kPageControls = {Dlg::NewAccountRadio,
                                        Dlg::CheckComputerNames,
                                        Dlg::AccountNameEdit,
                                        Dlg::PasswordEdit,
                                        Dlg::NewEmailEdit,
                                        Dlg::NewComputerNameEdit,
                                        Dlg::StatusLine,
                                        Dlg::ComputerList,
                                        Dlg::ComputerListLabel,
                                        Dlg::NewComputerNameLabel,
                                        Dlg::ContinueButton,
                                        Dlg::AccountNameLabel,
                                        Dlg::PasswordLabel,
                                        Dlg::WelcomeText,
                                        Dlg::GetStartedText,
                                        Dlg::NewEmailLabel,
                                        Dlg::LoginText,
                                        Dlg::RegisterText,
                                        Dlg::ExistingAccountRadio,
                                        Dlg::Ok};

const Ids kStartPage = {Dlg::WelcomeText, Dlg::GetStartedText, Dlg::ExistingAccountRadio,
                        Dlg::NewAccountRadio, Dlg::ContinueButton};
const Ids kLoginPage = {Dlg::LoginText,
                        Dlg::AccountNameLabel,
                        Dlg::AccountNameEdit,
                        Dlg::PasswordLabel,
                        Dlg::PasswordEdit,
                        Dlg::CheckComputerNames,
                        Dlg::Ok};
const Ids kComputerListPage = {
    Dlg::LoginText,    Dlg::AccountNameLabel,  Dlg::AccountNameEdit, Dlg::PasswordLabel,
    Dlg::PasswordEdit, Dlg::ComputerListLabel, Dlg::ComputerList,    Dlg::Ok};
const Ids kRegistrationPage = {Dlg::RegisterText,        Dlg::AccountNameLabel,
                               Dlg::AccountNameEdit,     Dlg::PasswordLabel,
                               Dlg::PasswordEdit,        Dlg::NewEmailLabel,
                               Dlg::NewEmailEdit,        Dlg::NewComputerNameLabel,
                               Dlg::NewComputerNameEdit, Dlg::Ok};

Ids With(Ids ids, int id) {
    ids.insert(id);
    return ids;
}

class NewAccountDlgTest : public RequestFixture {
protected:
    NewAccountDlgTest() { MakeDialog(); }

    void MakeDialog() {
        dialog = std::make_unique<CNewAccountDlg>([this] { return NewContext(); }, user,
                                                  [this] { ++discards; });
        dialog->show();
    }
    virtual RequestContext NewContext() {
        RequestContext context = Context();
        if (unreachable) {
            // Nothing listens on port 1 of the loopback: the connection is refused.
            context.Server = ServerAddress({"127.0.0.1", 1});
        }
        return context;
    }

    Ids Visible() const {
        Ids shown;
        for (const int id : kPageControls) {
            if (dialog->Control(id)->isVisible()) {
                shown.insert(id);
            }
        }
        return shown;
    }
    QPushButton* Ok() const { return dialog->Button(Dlg::Ok); }
    std::string OkText() const { return Ok()->text().toStdString(); }
    std::string ExitText() const { return dialog->Button(Dlg::ExitGoBack)->text().toStdString(); }
    std::string Status() const {
        auto* line = qobject_cast<QLabel*>(dialog->Control(Dlg::StatusLine));
        return line->isVisible() ? line->text().toStdString() : "(hidden)";
    }
    void Click(int id) { dialog->Button(id)->click(); }
    void Type(int id, const char* text) { dialog->Edit(id)->setText(QString::fromUtf8(text)); }
    void Choose(int radio) {
        qobject_cast<QRadioButton*>(dialog->Control(radio))->setChecked(true);
        Click(Dlg::ContinueButton);
    }
    std::vector<std::string> ComputerNames() const {
        std::vector<std::string> names;
        for (int i = 0; i < dialog->ComputerCombo()->count(); ++i) {
            names.push_back(dialog->ComputerCombo()->itemText(i).toStdString());
        }
        return names;
    }
    // Runs `inside` on the proxy dialog once the assistant has opened it.
    void WithProxyDialog(const std::function<void(CProxyInfo&)>& inside) {
        QTimer::singleShot(0, [inside] {
            auto* proxy = qobject_cast<CProxyInfo*>(QApplication::activeModalWidget());
            ASSERT_NE(proxy, nullptr);
            inside(*proxy);
        });
        Click(Dlg::ProxyDetails);
    }
    void RegisterBob() {
        Choose(Dlg::NewAccountRadio);
        Type(Dlg::AccountNameEdit, "bob");
        Type(Dlg::PasswordEdit, "pw");
        Type(Dlg::NewEmailEdit, "bob@example.org");
        Type(Dlg::NewComputerNameEdit, "den");
        Click(Dlg::Ok);
    }

    int discards = 0;
    bool unreachable = false;
    std::unique_ptr<CNewAccountDlg> dialog;
};

TEST_F(NewAccountDlgTest, StartsOnTheStartPage) {
    EXPECT_EQ(dialog->windowTitle(), "Kestrovin Setup Assistant");
    EXPECT_EQ(Visible(), kStartPage);
    EXPECT_TRUE(
        qobject_cast<QRadioButton*>(dialog->Control(Dlg::ExistingAccountRadio))->isChecked());
    EXPECT_FALSE(Ok()->isEnabled());
    EXPECT_EQ(OkText(), "Finish");
    EXPECT_EQ(ExitText(), "Exit");
    EXPECT_EQ(dialog->Button(Dlg::ProxyDetails)->text(), "&Proxy Details");
    EXPECT_EQ(dialog->Edit(Dlg::PasswordEdit)->echoMode(), QLineEdit::Password);
    EXPECT_FALSE(dialog->windowFlags().testFlag(Qt::WindowCloseButtonHint));
}

TEST_F(NewAccountDlgTest, ContinueOpensTheChosenPageAndGoBackReturnsToEmptyFields) {
    Choose(Dlg::ExistingAccountRadio);
    EXPECT_EQ(Visible(), kLoginPage);
    EXPECT_EQ(OkText(), "Login");
    EXPECT_FALSE(Ok()->isEnabled());
    EXPECT_EQ(ExitText(), "Go Back");
    EXPECT_EQ(dialog->focusWidget(), dialog->Control(Dlg::AccountNameEdit));
    EXPECT_EQ(dialog->PageCounter(), 1);

    Type(Dlg::AccountNameEdit, "bob");
    Click(Dlg::ExitGoBack);
    EXPECT_EQ(Visible(), kStartPage);
    EXPECT_EQ(ExitText(), "Exit");
    EXPECT_EQ(dialog->PageCounter(), 0);
    EXPECT_EQ(discards, 0);
    EXPECT_TRUE(dialog->isVisible());

    Choose(Dlg::NewAccountRadio);
    EXPECT_EQ(Visible(), kRegistrationPage);
    EXPECT_EQ(OkText(), "Register");
    EXPECT_TRUE(Ok()->isEnabled());
    EXPECT_EQ(dialog->Edit(Dlg::AccountNameEdit)->text(), "");
    EXPECT_TRUE(Posted().empty());
}

// Each page's instructions name the buttons as they read on that page.
TEST_F(NewAccountDlgTest, TheInstructionsNameTheButtonsOfTheirPage) {
    const auto quotedNames = [](const QString& text) {
        std::set<std::string> names;
        const QStringList pieces = text.split('"');
        for (qsizetype i = 1; i < pieces.size(); i += 2) {
            names.insert(pieces[i].toStdString());
        }
        return names;
    };
    const auto buttonTexts = [this](const std::vector<int>& ids) {
        std::set<std::string> texts;
        for (const int id : ids) {
            texts.insert(dialog->Button(id)->text().remove('&').toStdString());
        }
        return texts;
    };
    const auto instructions = [this](int id) {
        return qobject_cast<QLabel*>(dialog->Control(id))->text();
    };
    Choose(Dlg::ExistingAccountRadio);
    EXPECT_EQ(quotedNames(instructions(Dlg::LoginText)),
              buttonTexts({Dlg::CheckComputerNames, Dlg::Ok}));
    Click(Dlg::ExitGoBack);
    Choose(Dlg::NewAccountRadio);
    EXPECT_EQ(quotedNames(instructions(Dlg::RegisterText)), buttonTexts({Dlg::Ok}));
}

TEST_F(NewAccountDlgTest, EnterContinuesOnTheStartPageAndThenPressesTheOkButton) {
    dialog->activateWindow();
    qobject_cast<QRadioButton*>(dialog->Control(Dlg::NewAccountRadio))->setChecked(true);
    QTest::keyClick(dialog->Control(Dlg::NewAccountRadio), Qt::Key_Return);
    EXPECT_EQ(Visible(), kRegistrationPage);

    AnswerAction("register_account", "502 AC REGISTERED");
    Type(Dlg::AccountNameEdit, "bob");
    Type(Dlg::PasswordEdit, "pw");
    Type(Dlg::NewEmailEdit, "bob@example.org");
    Type(Dlg::NewComputerNameEdit, "den");
    QTest::keyClick(dialog->Edit(Dlg::NewComputerNameEdit), Qt::Key_Enter);
    EXPECT_EQ(Posted().size(), 1u);
}

TEST_F(NewAccountDlgTest, ExitOnTheStartPageDiscardsAndCancels) {
    Click(Dlg::ExitGoBack);
    EXPECT_EQ(discards, 1);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(NewAccountDlgTest, EscapeCancelsWithoutDiscarding) {
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(discards, 0);
}

TEST_F(NewAccountDlgTest, CheckingWithAnEmptyFieldAsksForAllFieldsThenEditingOffersTheCheckAgain) {
    Choose(Dlg::ExistingAccountRadio);
    Type(Dlg::AccountNameEdit, "bob");
    Click(Dlg::CheckComputerNames);

    EXPECT_EQ(Status(), Dlg::FillOutAllFields);
    EXPECT_TRUE(dialog->Control(Dlg::CheckComputerNames)->isVisible());
    EXPECT_FALSE(dialog->Control(Dlg::CheckComputerNames)->isEnabled());
    EXPECT_EQ(dialog->MissingFieldsCounter(), 1);
    EXPECT_TRUE(Posted().empty());

    QTest::keyClicks(dialog->Edit(Dlg::PasswordEdit), "p");
    EXPECT_TRUE(dialog->Control(Dlg::CheckComputerNames)->isEnabled());
}

TEST_F(NewAccountDlgTest, TheComputerListShowsTheNamesLastFirstWithTheLastSelected) {
    AnswerAction("computer_list", "100 OK north\tsouth\twest");
    Choose(Dlg::ExistingAccountRadio);
    Type(Dlg::AccountNameEdit, "bob");
    Type(Dlg::PasswordEdit, "pw");
    Click(Dlg::CheckComputerNames);

    EXPECT_EQ(ComputerNames(), (std::vector<std::string>{"west", "south", "north"}));
    EXPECT_EQ(dialog->ComputerCombo()->currentText(), "west");
    EXPECT_EQ(Visible(), kComputerListPage);
    EXPECT_TRUE(Ok()->isEnabled());
    EXPECT_EQ(dialog->focusWidget(), dialog->ComputerCombo());
    ASSERT_EQ(Posted().size(), 1u);
    EXPECT_EQ(PostedValue(Posted()[0], "username"), "bob");
    EXPECT_EQ(PostedValue(Posted()[0], "password"), "pw");
}

TEST_F(NewAccountDlgTest, ALoginHandsOverTheAccountOfTheChosenComputer) {
    AnswerAction("computer_list", "100 OK north\tsouth\twest");
    AnswerAction("accountinfo", "100 AC OK bob@example.org\t1200\t340\t2.5\t42\t7\ttok-9");
    Choose(Dlg::ExistingAccountRadio);
    Type(Dlg::AccountNameEdit, "bob");
    Type(Dlg::PasswordEdit, "pw");
    Click(Dlg::CheckComputerNames);
    dialog->ComputerCombo()->setCurrentIndex(1);
    Click(Dlg::Ok);

    ASSERT_EQ(dialog->result(), QDialog::Accepted) << testing::PrintToString(user.messages);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(PostedValue(Posted().back(), "computer"), "south");
    const AcceptedAccount account = dialog->Result();
    EXPECT_EQ(account.UserName, "bob");
    EXPECT_EQ(account.ComputerName, "south");
    EXPECT_EQ(account.Password, "pw");
    EXPECT_EQ(account.Email, "bob@example.org");
    EXPECT_EQ(account.Token, "tok-9");
    EXPECT_EQ(account.TotalKeys, 1200);
    EXPECT_EQ(account.TotalClicks, 340);
    EXPECT_EQ(account.UserID, 42);
    EXPECT_EQ(account.Rank, 7);
    EXPECT_EQ(account.ProxyUse, 0);
}

TEST_F(NewAccountDlgTest, ALoginWithoutASelectedComputerIsNotSent) {
    Choose(Dlg::ExistingAccountRadio);
    Type(Dlg::AccountNameEdit, "bob");
    Type(Dlg::PasswordEdit, "pw");
    dialog->EnableControl(AssistantControl::Ok, true);
    Click(Dlg::Ok);

    EXPECT_EQ(Status(), Dlg::SelectAComputer);
    EXPECT_FALSE(Ok()->isEnabled());
    EXPECT_EQ(ExitText(), "Go Back");
    EXPECT_TRUE(Posted().empty());
    EXPECT_EQ(dialog->result(), 0);
}

TEST_F(NewAccountDlgTest, AFailedLoginCanBeSentAgainFromThePageOrLeftWithGoBack) {
    AnswerAction("computer_list", "100 OK desk");
    AnswerAction("accountinfo", "501 BAD PASSWORD");
    Choose(Dlg::ExistingAccountRadio);
    Type(Dlg::AccountNameEdit, "bob");
    Type(Dlg::PasswordEdit, "pw");
    Click(Dlg::CheckComputerNames);
    Click(Dlg::Ok);

    EXPECT_EQ(Status(), "Wrong password for account bob!");
    EXPECT_EQ(Visible(), With(kComputerListPage, Dlg::StatusLine));
    EXPECT_TRUE(Ok()->isEnabled()) << "the fields are filled: another attempt may go";
    EXPECT_TRUE(Ok()->isDefault());
    EXPECT_EQ(ExitText(), "Go Back");

    AnswerAction("accountinfo", "100 AC OK bob@example.org\t1\t2\t0\t42\t7\ttok-9");
    Type(Dlg::PasswordEdit, "right");
    Click(Dlg::Ok);
    ASSERT_EQ(dialog->result(), QDialog::Accepted) << testing::PrintToString(user.messages);
    EXPECT_EQ(dialog->Result().Password, "right");

    MakeDialog();
    AnswerAction("accountinfo", "501 BAD PASSWORD");
    Choose(Dlg::ExistingAccountRadio);
    Type(Dlg::AccountNameEdit, "bob");
    Type(Dlg::PasswordEdit, "pw");
    Click(Dlg::CheckComputerNames);
    Click(Dlg::Ok);
    Click(Dlg::ExitGoBack);
    EXPECT_EQ(Visible(), kStartPage);
    EXPECT_EQ(ExitText(), "Exit");
    EXPECT_EQ(discards, 0);

    // The registration page that follows holds nothing of the login: typing does not add to
    // the hidden password or the name.
    Choose(Dlg::NewAccountRadio);
    EXPECT_EQ(Visible(), kRegistrationPage);
    for (const int id :
         {Dlg::AccountNameEdit, Dlg::PasswordEdit, Dlg::NewEmailEdit, Dlg::NewComputerNameEdit}) {
        EXPECT_EQ(dialog->Edit(id)->text(), "") << id;
    }
    EXPECT_EQ(Status(), "(hidden)");
    Click(Dlg::ExitGoBack);
    Choose(Dlg::ExistingAccountRadio);
    EXPECT_EQ(dialog->ComputerCombo()->count(), 0);
}

TEST_F(NewAccountDlgTest, ARegistrationWithAnEmptyFieldIsNotSentUntilTheFieldIsFilled) {
    AnswerAction("register_account", "100 OK 77 tok-new");
    Choose(Dlg::NewAccountRadio);
    Type(Dlg::AccountNameEdit, "bob");
    Type(Dlg::PasswordEdit, "pw");
    Type(Dlg::NewComputerNameEdit, "den");
    Click(Dlg::Ok);

    EXPECT_EQ(Status(), Dlg::FillOutAllFields);
    EXPECT_FALSE(Ok()->isEnabled());
    EXPECT_EQ(ExitText(), "Go Back");
    EXPECT_TRUE(Posted().empty());

    QTest::keyClicks(dialog->Edit(Dlg::NewEmailEdit), "b");
    EXPECT_TRUE(Ok()->isEnabled());
    Click(Dlg::Ok);
    EXPECT_EQ(dialog->result(), QDialog::Accepted) << testing::PrintToString(user.messages);
    EXPECT_EQ(dialog->Result().Email, "b");
}

TEST_F(NewAccountDlgTest, ARefusedRegistrationCanBeSentAgainFromThePage) {
    AnswerAction("register_account", "502 AC REGISTERED");
    RegisterBob();
    EXPECT_EQ(Status(), "Account bob already exists! Please choose another username.");
    EXPECT_EQ(Visible(), With(kRegistrationPage, Dlg::StatusLine));
    EXPECT_TRUE(Ok()->isEnabled());
    EXPECT_EQ(ExitText(), "Go Back");

    AnswerAction("register_account", "100 OK 77 tok-new");
    Type(Dlg::AccountNameEdit, "bobby");
    Click(Dlg::Ok);
    ASSERT_EQ(dialog->result(), QDialog::Accepted) << testing::PrintToString(user.messages);
    const AcceptedAccount account = dialog->Result();
    EXPECT_EQ(account.UserName, "bobby");
    EXPECT_EQ(account.ComputerName, "den");
    EXPECT_EQ(account.Email, "bob@example.org");
    EXPECT_EQ(account.UserID, 77);
    EXPECT_EQ(account.Token, "tok-new");
    EXPECT_EQ(account.TotalKeys, 0);
    EXPECT_EQ(account.TotalClicks, 0);
    EXPECT_EQ(account.Rank, 0);
    const PostedFieldList form = Posted().back();
    EXPECT_EQ(PostedValue(form, "username"), "bobby");
    EXPECT_EQ(PostedValue(form, "computer"), "den");
    EXPECT_EQ(PostedValue(form, "email"), "bob@example.org");
}

TEST_F(NewAccountDlgTest, ProxyDetailsWithAnEmptyHostAreNeitherAppliedNorHandedOverAsInUse) {
    AnswerAction("register_account", "100 OK 77 tok-new");
    WithProxyDialog([](CProxyInfo& proxy) {
        proxy.HostField()->setText(" ");
        proxy.PortField()->setText("3128");
        proxy.UseProxyButton()->click();
    });
    EXPECT_EQ(user.messages, std::vector<std::string>{CProxyInfo::HostMissingMessage});
    RegisterBob();

    ASSERT_EQ(dialog->result(), QDialog::Accepted) << testing::PrintToString(user.messages);
    EXPECT_EQ(Posted().size(), 1u) << "the request went straight to the server";
    EXPECT_EQ(dialog->Result().ProxyUse, 0);
    EXPECT_EQ(dialog->Result().ProxyPort, 3128);
}

// An unreachable server, then the reference server: the user tries again on the same page.
TEST_F(NewAccountDlgTest, AFailedCheckForComputerNamesCanBeTriedAgainOnThePage) {
    unreachable = true;
    Choose(Dlg::ExistingAccountRadio);
    Type(Dlg::AccountNameEdit, "bob");
    Type(Dlg::PasswordEdit, "pw");
    EXPECT_TRUE(dialog->Button(Dlg::CheckComputerNames)->isDefault());
    Click(Dlg::CheckComputerNames);

    EXPECT_EQ(Status(), Communication::RequestFailedStatus);
    ASSERT_EQ(user.balloons.size(), 1u);
    EXPECT_EQ(user.balloons[0].Title, "Connection Error");
    EXPECT_EQ(Visible(), With(kLoginPage, Dlg::StatusLine));
    EXPECT_TRUE(dialog->Control(Dlg::CheckComputerNames)->isEnabled());
    EXPECT_TRUE(dialog->Button(Dlg::CheckComputerNames)->isDefault());
    EXPECT_FALSE(Ok()->isEnabled());
    EXPECT_EQ(dialog->PageCounter(), 1);

    unreachable = false;
    AnswerAction("computer_list", "100 OK desk");
    QTest::keyClick(dialog->Edit(Dlg::PasswordEdit), Qt::Key_Return);
    EXPECT_EQ(ComputerNames(), std::vector<std::string>{"desk"});
    EXPECT_EQ(Visible(), kComputerListPage);
    EXPECT_TRUE(Ok()->isEnabled());
    EXPECT_TRUE(Ok()->isDefault());
}

TEST_F(NewAccountDlgTest, ProxyDetailsWithAHostAreApplied) {
    // The canned server stands in as the proxy; a proxied request names the full address.
    const std::string port = std::to_string(server.Port());
    AnswerAction("register_account", "100 OK 77 tok-new");
    WithProxyDialog([&port](CProxyInfo& proxy) {
        proxy.HostField()->setText("127.0.0.1");
        proxy.PortField()->setText(QString::fromStdString(port));
        proxy.UseProxyButton()->click();
    });
    RegisterBob();

    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].Target.rfind("http://", 0), 0u) << server.Requests()[0].Target;
    EXPECT_EQ(dialog->Result().ProxyHost, "127.0.0.1");
}

TEST_F(NewAccountDlgTest, CancellingTheProxyDialogTurnsProxyUseOff) {
    WithProxyDialog([](CProxyInfo& proxy) {
        proxy.HostField()->setText("proxy.example");
        proxy.PortField()->setText("3128");
        proxy.UseProxyButton()->click();
    });
    EXPECT_EQ(dialog->Result().ProxyUse, 1);
    WithProxyDialog([](CProxyInfo& proxy) { proxy.reject(); });
    EXPECT_EQ(dialog->Result().ProxyUse, 0);
    EXPECT_EQ(dialog->Result().ProxyHost, "proxy.example") << "the values stay";
}

TEST(NewAccountDlgPlacement, AThirdInAndMovedFullyOnScreen) {
    const QSize window(470, 340);
    EXPECT_EQ(CNewAccountDlg::PlacedOnScreen({0, 0, 1920, 1080}, {0, 0, 1920, 1040}, window),
              QPoint(470, 200));
    // A small screen would put the window above and left of its corner.
    EXPECT_EQ(CNewAccountDlg::PlacedOnScreen({0, 0, 400, 300}, {0, 0, 400, 300}, window),
              QPoint(0, 0));
    // A second screen to the right: the formula is the screen's own.
    EXPECT_EQ(CNewAccountDlg::PlacedOnScreen({1920, 0, 1280, 720}, {1920, 0, 1280, 720}, window),
              QPoint(1920 + 256, 80));
    // Right at the edge of the available area.
    EXPECT_EQ(CNewAccountDlg::PlacedOnScreen({0, 0, 2000, 1200}, {0, 0, 800, 400}, window),
              QPoint(330, 60));
}

// Every page shows its controls whole, at the usual font and at one half as large again: the
// window grows with the user's font, and keeps its size from page to page.
TEST_F(NewAccountDlgTest, EveryPageFitsAtTheUsersFont) {
    const QFont usual = QApplication::font();
    for (const double scale : {1.0, 1.5}) {
        SCOPED_TRACE(scale);
        QFont font = usual;
        font.setPointSizeF(usual.pointSizeF() * scale);
        QApplication::setFont(font);
        MakeDialog();
        const QSize size = dialog->size();
        const auto expectFits = [&](const char* page) {
            EXPECT_EQ(ClippedControls(*dialog), std::vector<std::string>{}) << page;
            EXPECT_EQ(dialog->size(), size) << page;
        };
        expectFits("start");
        Choose(Dlg::ExistingAccountRadio);
        AnswerAction("computer_list", "100 OK north\tsouth\twest");
        Type(Dlg::AccountNameEdit, "bob");
        Type(Dlg::PasswordEdit, "pw");
        Click(Dlg::CheckComputerNames);
        expectFits("login with the computer list");
        Click(Dlg::ExitGoBack);
        Choose(Dlg::NewAccountRadio);
        Click(Dlg::Ok);
        expectFits("registration with a status line");
    }
    QApplication::setFont(usual);
}

// Pictures of every page for a person to look at, in dialog-screenshots/ of the build folder.
TEST_F(NewAccountDlgTest, EachPageIsSavedAsAScreenshot) {
    const auto save = [&](const char* name) {
        EXPECT_TRUE(SaveDialogScreenshot(*dialog, name)) << name;
    };
    save("assistant-1-start");
    Choose(Dlg::ExistingAccountRadio);
    Type(Dlg::AccountNameEdit, "bob");
    Type(Dlg::PasswordEdit, "pw");
    save("assistant-2-login");
    unreachable = true;
    Click(Dlg::CheckComputerNames);
    save("assistant-3-login-check-failed");
    unreachable = false;
    AnswerAction("computer_list", "100 OK north\tsouth\twest");
    Click(Dlg::CheckComputerNames);
    save("assistant-4-login-computer-list");
    Click(Dlg::ExitGoBack);
    Choose(Dlg::NewAccountRadio);
    Type(Dlg::AccountNameEdit, "bob");
    Type(Dlg::PasswordEdit, "pw");
    Type(Dlg::NewEmailEdit, "bob@example.org");
    Type(Dlg::NewComputerNameEdit, "den");
    save("assistant-5-registration");
    Type(Dlg::NewEmailEdit, "");
    Click(Dlg::Ok);
    save("assistant-6-registration-fields-missing");
    Type(Dlg::NewEmailEdit, "bob@example.org");
    AnswerAction("register_account", "502 AC REGISTERED");
    Click(Dlg::Ok);
    save("assistant-7-registration-refused");
    AnswerAction("register_account", "100 OK 77 tok-new");
    Click(Dlg::Ok);
    ASSERT_EQ(dialog->result(), QDialog::Accepted);
    save("assistant-8-accepted");
}

// --- Against the reference statistics server ---------------------------------------------

class NewAccountDlgReferenceTest : public NewAccountDlgTest {
protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(statsServer.Start(temp / "stats.sqlite", error)) << error;
    }
    void TearDown() override { statsServer.Stop(); }
    RequestContext NewContext() override {
        RequestContext context = Context();
        context.Server =
            ServerAddress({"127.0.0.1", static_cast<std::uint16_t>(statsServer.Port())});
        return context;
    }

    InProcessStatsServer statsServer;
};

TEST_F(NewAccountDlgReferenceTest, RegisterThenLogInOnAnotherStart) {
    RegisterBob();
    ASSERT_EQ(dialog->result(), QDialog::Accepted) << testing::PrintToString(user.messages);
    const AcceptedAccount registered = dialog->Result();
    EXPECT_GT(registered.UserID, 0);

    MakeDialog();
    Choose(Dlg::ExistingAccountRadio);
    Type(Dlg::AccountNameEdit, "bob");
    Type(Dlg::PasswordEdit, "wrong");
    Click(Dlg::CheckComputerNames);
    EXPECT_EQ(Status(), "Wrong password for account bob!");

    Type(Dlg::PasswordEdit, "pw");
    Click(Dlg::CheckComputerNames);
    EXPECT_EQ(ComputerNames(), std::vector<std::string>{"den"});
    Click(Dlg::Ok);
    ASSERT_EQ(dialog->result(), QDialog::Accepted) << testing::PrintToString(user.messages);
    const AcceptedAccount loggedIn = dialog->Result();
    EXPECT_EQ(loggedIn.UserID, registered.UserID);
    EXPECT_EQ(loggedIn.ComputerName, "den");
    EXPECT_EQ(loggedIn.Email, "bob@example.org");
    EXPECT_FALSE(loggedIn.Token.empty());
}

}  // namespace
