#include "persistence/StateStream.h"

#include <gtest/gtest.h>

#include "persistence/StateTestAccounts.h"

namespace {

std::string Bytes(std::initializer_list<unsigned char> bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// A text field with a 1-byte length prefix.
std::string Field(const std::string& text) {
    return static_cast<char>(text.size()) + text;
}

// A stream by hand: the header, `userNameField` as given, the other texts with 1-byte
// prefixes, and 1.5 metres.
std::string HandMadeStream(const std::string& userNameField,
                           const std::string& header = "Kestrovin v1.7.1") {
    return Field(header) + userNameField + Field("pc") + Field("pw") + Field("t0k") + Field("ifA") +
           Field("jfB") + Field("ifC") + Bytes({0, 0, 0, 0, 0, 0, 0xF8, 0x3F});
}

TEST(StateStreamTest, WritesTheNineFieldsWithoutSeparators) {
    AccountState account;
    account.UserName = "bob";
    account.ComputerName = "pc";
    account.Password = "pw";
    account.Token = "t0k";
    account.UnsentClicks = "ifA";
    account.UnsentKeys = "jfB";
    account.UnsentSpare = "ifC";
    account.UnsentMetres = 1.5;

    const std::string stream = StateStream::Write(account);
    EXPECT_EQ(stream.substr(0, 17), "\x10Kestrovin v1.7.1");
    EXPECT_EQ(stream, HandMadeStream(Field("bob")));
}

TEST(StateStreamTest, ReadsBackTheStoredFieldsOnly) {
    const AccountState written = RealisticAccount();
    AccountState read = AccountState::StartValues();
    read.Email = "kept@example.org";
    read.TotalKeys = 42;

    std::string error;
    ASSERT_TRUE(StateStream::Read(StateStream::Write(written), read, &error)) << error;
    EXPECT_EQ(StoredFields(read), StoredFields(written));
    EXPECT_EQ(read.Email, "kept@example.org");
    EXPECT_EQ(read.TotalKeys, 42);
    EXPECT_EQ(read.GetUnsentKeys(), 12345);
    EXPECT_EQ(read.GetUnsentClicks(), 678);
}

TEST(StateStreamTest, LengthPrefixChangesFormAtEachBoundary) {
    const struct {
        std::size_t length;
        std::string prefix;
    } cases[] = {
        {0, Bytes({0})},
        {254, Bytes({0xFE})},
        {255, Bytes({0xFF, 0xFF, 0x00})},
        {65533, Bytes({0xFF, 0xFD, 0xFF})},
        {65534, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
        {70000, Bytes({0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00})},
    };
    for (const auto& c : cases) {
        AccountState account = RealisticAccount();
        account.UserName = std::string(c.length, 'n');
        const std::string stream = StateStream::Write(account);
        EXPECT_EQ(stream.substr(17, c.prefix.size()), c.prefix) << c.length;
        // The computer name's prefix follows the text directly.
        EXPECT_EQ(stream.at(17 + c.prefix.size() + c.length), '\x0E') << c.length;

        AccountState read;
        ASSERT_TRUE(StateStream::Read(stream, read)) << c.length;
        EXPECT_EQ(StoredFields(read), StoredFields(account)) << c.length;
    }
}

TEST(StateStreamTest, ReadsEveryPrefixFormWhateverTheLength) {
    // Only the shortest form is ever written, but a wider one is still a valid prefix. A
    // 2-byte 0xFFFE or 0xFFFF and a 4-byte 0xFFFFFFFF mean that the next width follows.
    const std::string forms[] = {
        Bytes({3}),
        Bytes({0xFF, 3, 0}),
        Bytes({0xFF, 0xFF, 0xFF, 3, 0, 0, 0}),
        Bytes({0xFF, 0xFE, 0xFF, 3, 0, 0, 0}),
        Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 3, 0, 0, 0, 0, 0, 0, 0}),
    };
    for (const std::string& prefix : forms) {
        AccountState read;
        std::string error;
        ASSERT_TRUE(StateStream::Read(HandMadeStream(prefix + "bob"), read, &error)) << error;
        EXPECT_EQ(read.UserName, "bob");
        EXPECT_EQ(read.Token, "t0k");
        EXPECT_EQ(read.UnsentMetres.Load(), 1.5);
    }
}

TEST(StateStreamTest, IgnoresTheHeaderText) {
    AccountState read;
    ASSERT_TRUE(StateStream::Read(HandMadeStream(Field("bob"), "Kestrovin v1.6.5"), read));
    EXPECT_EQ(read.UserName, "bob");
    ASSERT_TRUE(StateStream::Read(HandMadeStream(Field("bob"), ""), read));
}

TEST(StateStreamTest, AStreamCutAnywhereFailsAndLeavesTheAccountAlone) {
    const std::string stream = StateStream::Write(RealisticAccount());
    const AccountState before = AccountState::StartValues();
    for (std::size_t length = 0; length < stream.size(); ++length) {
        AccountState read = before;
        std::string error;
        EXPECT_FALSE(StateStream::Read(stream.substr(0, length), read, &error)) << length;
        EXPECT_EQ(error.rfind("the data ends inside the ", 0), 0u) << length << ": " << error;
        EXPECT_EQ(StoredFields(read), StoredFields(before)) << length;
    }

    const struct {
        std::size_t length;
        const char* error;
    } named[] = {
        {0, "the data ends inside the header"},
        {16, "the data ends inside the header"},
        {17, "the data ends inside the account name"},
        {stream.size() - 8, "the data ends inside the unsent mouse travel"},
        {stream.size() - 1, "the data ends inside the unsent mouse travel"},
    };
    for (const auto& c : named) {
        AccountState read;
        std::string error;
        StateStream::Read(stream.substr(0, c.length), read, &error);
        EXPECT_EQ(error, c.error) << c.length;
    }
}

TEST(StateStreamTest, ALengthBeyondTheEndFailsWithoutReadingOrAllocatingIt) {
    const std::string lengths[] = {
        Bytes({0xFE}),
        Bytes({0xFF, 0xFD, 0xFF}),
        Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF}),
        Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
               0xFF}),
        Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}),  // the 8-byte length is missing
    };
    for (const std::string& prefix : lengths) {
        AccountState read;
        std::string error;
        EXPECT_FALSE(StateStream::Read(HandMadeStream(prefix + "bob"), read, &error));
        EXPECT_EQ(error, "the data ends inside the account name");
    }
}

}  // namespace
