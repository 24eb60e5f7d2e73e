#include "PasswordHasher.h"

#include <gtest/gtest.h>

namespace {

TEST(PasswordHasherTest, StoredHashIsSaltedAndVerifiesOnlyTheRightPassword) {
    const PasswordHasher hasher;  // the iteration count the server uses
    const auto first = hasher.Hash("correct horse");
    const auto second = hasher.Hash("correct horse");
    ASSERT_TRUE(first && second);
    EXPECT_TRUE(first->starts_with("pbkdf2-sha256$200000$"));
    EXPECT_NE(*first, *second);
    EXPECT_EQ(first->find("correct"), std::string::npos);

    EXPECT_TRUE(PasswordHasher::Verify("correct horse", *first));
    EXPECT_TRUE(PasswordHasher::Verify("correct horse", *second));
    EXPECT_FALSE(PasswordHasher::Verify("correct horsE", *first));
    EXPECT_FALSE(PasswordHasher::Verify("", *first));
}

TEST(PasswordHasherTest, DamagedStoredTextsNeverVerify) {
    const auto good = PasswordHasher(10).Hash("pw");
    ASSERT_TRUE(good);
    const std::string cases[] = {
        "",
        "pw",
        "pbkdf2-sha256$10$",
        "md5$10$00$00",
        "pbkdf2-sha256$0" + good->substr(good->find('$', 14)),
        "pbkdf2-sha256$99999999999" + good->substr(good->find('$', 14)),
        good->substr(0, good->size() - 2),
        good->substr(0, good->size() - 1) + "g",
    };
    for (const std::string& stored : cases) {
        EXPECT_FALSE(PasswordHasher::Verify("pw", stored)) << stored;
    }
    EXPECT_TRUE(PasswordHasher::Verify("pw", *good));
}

}  // namespace
