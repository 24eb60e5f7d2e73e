#include "server/AccountTakeOver.h"

#include <gtest/gtest.h>

#include "counting/AppRecord.h"

namespace {

AcceptedAccount Next() {
    AcceptedAccount account;
    account.UserName = "nina";
    account.ComputerName = "desk";
    account.Token = "tok";
    account.UserID = 8;
    account.ProxyHost = "proxy.example";
    account.ProxyPort = 8080;
    account.ProxyUse = 1;
    return account;
}

// The user's own choices, none of them a new-account value.
void Customise(Preferences& preferences) {
    preferences.SkeldEvery = 30;
    preferences.DistanceType = 1;
    preferences.UseHotKey = 1;
    preferences.GeekStart = 1;
    preferences.GeekTrans = 90;
    preferences.keycount_X = 40;
}

TEST(AccountTakeOverTest, AfterALogOffTheUsersPreferencesStayAndTheAccountStartsFresh) {
    AppRecord record;
    record.Account.UserName = "old";
    record.Account.NewAccount = 1;  // as the log-off left it
    record.Account.TotalKeys = 500;
    record.Account.KeysSinceLastReset = 40;
    Customise(record.Prefs);

    TakeOverAccount(record, Next(), 1000);

    EXPECT_EQ(record.Prefs.SkeldEvery, 30);
    EXPECT_EQ(record.Prefs.DistanceType, 1);
    EXPECT_EQ(record.Prefs.UseHotKey, 1);
    EXPECT_EQ(record.Prefs.GeekStart, 1);
    EXPECT_EQ(record.Prefs.GeekTrans, 90);
    EXPECT_EQ(record.Prefs.keycount_X, 40);
    EXPECT_EQ(record.Prefs.ProxyHost, "proxy.example");
    EXPECT_EQ(record.Prefs.ProxyUse, 1);
    EXPECT_EQ(record.Account.UserName, "nina");
    EXPECT_EQ(record.Account.NewAccount, 0);
    EXPECT_EQ(record.Account.TotalKeys, 0);
    EXPECT_EQ(record.Account.KeysSinceLastReset, 0);
}

TEST(AccountTakeOverTest, AFirstSetUpStartsFromTheNewAccountValues) {
    AppRecord record;  // nothing stored yet, or a state file that could not be read
    Customise(record.Prefs);
    TakeOverAccount(record, Next(), 1000);

    Preferences fresh;
    fresh.ApplyNewAccountValues();
    EXPECT_EQ(record.Prefs.SkeldEvery, fresh.SkeldEvery);
    EXPECT_EQ(record.Prefs.DistanceType, fresh.DistanceType);
    EXPECT_EQ(record.Prefs.GeekTrans, fresh.GeekTrans);
    EXPECT_EQ(record.Prefs.keycount_X, fresh.keycount_X);
    EXPECT_EQ(record.Prefs.ProxyHost, "proxy.example");
}

}  // namespace
