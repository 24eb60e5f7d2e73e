#include "CommandLine.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLineTest, DefaultsAndEveryOption) {
    const auto defaults = CommandLine::Parse({});
    ASSERT_TRUE(defaults.options);
    EXPECT_EQ(defaults.options->database, "kestrovin-stats.sqlite");
    EXPECT_EQ(defaults.options->host, "127.0.0.1");
    EXPECT_EQ(defaults.options->port, 80);
    EXPECT_EQ(defaults.options->settings.newestVersion, "1.7.1");
    EXPECT_EQ(defaults.options->settings.throttleSeconds, 0);
    EXPECT_EQ(defaults.options->settings.publicUrl, "");
    EXPECT_FALSE(defaults.options->help);
    EXPECT_FALSE(defaults.options->stopWithParent);
    EXPECT_EQ(defaults.options->settings.logins.failuresPerAccount, 10);
    EXPECT_EQ(defaults.options->settings.logins.failuresPerAddress, 30);
    EXPECT_EQ(defaults.options->settings.logins.cacheLifetime, std::chrono::minutes(15));

    const auto all =
        CommandLine::Parse({"--db", "/var/lib/stats.db", "--port=0", "--host", "0.0.0.0",
                            "--newest-version", "1.8", "--throttle-seconds=60", "--public-url",
                            "http://stats.example.org/", "--stop-with-parent", "--help"});
    ASSERT_TRUE(all.options) << all.error;
    EXPECT_EQ(all.options->database, "/var/lib/stats.db");
    EXPECT_EQ(all.options->port, 0);
    EXPECT_EQ(all.options->host, "0.0.0.0");
    EXPECT_EQ(all.options->settings.newestVersion, "1.8");
    EXPECT_EQ(all.options->settings.throttleSeconds, 60);
    EXPECT_EQ(all.options->settings.publicUrl, "http://stats.example.org");
    EXPECT_TRUE(all.options->help);
    EXPECT_TRUE(all.options->stopWithParent);
    EXPECT_FALSE(all.options->settings.sendsMail);

    const auto mail = CommandLine::Parse({"--smtp-url", "smtps://mail.example.org:465",
                                          "--mail-from=stats@example.org", "--smtp-user", "stats",
                                          "--smtp-password", "pw"});
    ASSERT_TRUE(mail.options) << mail.error;
    EXPECT_EQ(mail.options->smtp.url, "smtps://mail.example.org:465");
    EXPECT_EQ(mail.options->smtp.from, "stats@example.org");
    EXPECT_EQ(mail.options->smtp.user, "stats");
    EXPECT_EQ(mail.options->smtp.password, "pw");
    EXPECT_TRUE(mail.options->settings.sendsMail);

    const auto logins =
        CommandLine::Parse({"--failed-logins-per-account", "3", "--failed-logins-per-address=0",
                            "--credential-cache-seconds", "0"});
    ASSERT_TRUE(logins.options) << logins.error;
    EXPECT_EQ(logins.options->settings.logins.failuresPerAccount, 3);
    EXPECT_EQ(logins.options->settings.logins.failuresPerAddress, 0);
    EXPECT_EQ(logins.options->settings.logins.cacheLifetime, std::chrono::seconds::zero());
}

TEST(CommandLineTest, UnusableArgumentsAreRefusedWithAReason) {
    const std::vector<std::vector<std::string>> cases = {
        {"--verbose"},
        {"--port"},
        {"--port", "65536"},
        {"--port", "-1"},
        {"--port", "eighty"},
        {"--throttle-seconds", "-5"},
        {"--newest-version", ""},
        {"--newest-version", "1.8\n"},
        {"--db="},
        {"--public-url", "stats.example.org"},
        {"8080"},
        {"--smtp-url", "mail.example.org", "--mail-from", "a@example.org"},
        {"--smtp-url", "smtp://mail.example.org"},
        {"--mail-from", "a@example.org"},
        {"--smtp-url", "smtp://mail.example.org", "--mail-from", "nobody"},
        {"--smtp-url", "smtp://mail.example.org", "--mail-from", "a@example.org\r\nBcc: b@x"},
        {"--smtp-user", "stats"},
        {"--failed-logins-per-account", "-1"},
        {"--failed-logins-per-address", "many"},
        {"--credential-cache-seconds", "-1"},
    };
    for (const auto& arguments : cases) {
        const auto result = CommandLine::Parse(arguments);
        EXPECT_FALSE(result.options) << arguments[0];
        EXPECT_FALSE(result.error.empty()) << arguments[0];
    }
}

}  // namespace
