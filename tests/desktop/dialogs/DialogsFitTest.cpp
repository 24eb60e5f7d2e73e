// The small dialogs show every text and field whole at the usual font and at one half as
// large again: they grow with the user's font.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "counting/AccountState.h"
#include "counting/KeyFrequencyTable.h"
#include "desktop/dialogs/AccountInfo.h"
#include "desktop/dialogs/ChangePasswordDlg.h"
#include "desktop/dialogs/DebugLog.h"
#include "desktop/dialogs/EasterEgg.h"
#include "desktop/dialogs/LogList.h"
#include "desktop/dialogs/PageFrequencies.h"
#include "desktop/dialogs/ProxyInfo.h"
#include "support/ClippedControls.h"
#include "support/FixedClock.h"
#include "support/RecordingUser.h"

namespace {

TEST(DialogsFitTest, EveryTextAndFieldShowsWholeAtTheUsersFont) {
    RecordingUser user;
    AccountState account;
    account.UserName = "alice";
    account.Email = "alice.with.a.long.address@example.org";
    account.ComputerName = "desk";
    KeyFrequencyTable table;
    table.FillKeyNames();
    table.Increment(0xA0);
    FixedClock clock;
    const std::vector<std::pair<const char*, std::function<std::unique_ptr<QWidget>()>>> dialogs = {
        {"account details",
         [&] {
             return std::make_unique<CAccountInfo>(account, user, "http://example.org/",
                                                   [](const std::string&) {});
         }},
        {"change password", [&] { return std::make_unique<CChangePasswordDlg>(user); }},
        {"proxy", [&] { return std::make_unique<CProxyInfo>(user); }},
        {"credits", [] { return std::make_unique<CEasterEgg>(); }},
        {"skeld log",
         [&] { return std::make_unique<CLogList>(LogFile("/nonexistent/Skelds.log"), user); }},
        {"debug log",
         [&] { return std::make_unique<CDebugLog>(LogFile("/nonexistent/Debug.log"), user); }},
        {"key frequencies",
         [&] {
             return std::make_unique<CPageFrequencies>(table, KeyFrequencyReport::Figures{}, user,
                                                       clock, [](const std::string&) {});
         }},
    };
    const QFont usual = QApplication::font();
    for (const double scale : {1.0, 1.5}) {
        QFont font = usual;
        font.setPointSizeF(usual.pointSizeF() * scale);
        QApplication::setFont(font);
        for (const auto& [name, make] : dialogs) {
            SCOPED_TRACE(std::string(name) + " at " + std::to_string(scale));
            const std::unique_ptr<QWidget> dialog = make();
            dialog->show();
            EXPECT_EQ(ClippedControls(*dialog), std::vector<std::string>{});
        }
    }
    QApplication::setFont(usual);
}

}  // namespace
