#include "PasswordSeal.h"

#include <gtest/gtest.h>

TEST(PasswordSealTest, OnlyTheCodeOpensTheSealedPassword) {
    const std::string code = "0123456789abcdef0123456789abcdef01234567";
    for (const std::string& password :
         {std::string("x"), std::string("q1w2 e3\tr4<t5>"), std::string(256, 'p')}) {
        const auto sealed = PasswordSeal::Seal(code, password);
        ASSERT_TRUE(sealed);
        EXPECT_EQ(sealed->find(password), std::string::npos);
        EXPECT_EQ(PasswordSeal::Open(code, *sealed), password);
        EXPECT_FALSE(PasswordSeal::Open("ffff" + code.substr(4), *sealed));
        std::string tampered = *sealed;
        tampered.back() = tampered.back() == '0' ? '1' : '0';
        EXPECT_FALSE(PasswordSeal::Open(code, tampered));
    }
    for (const char* broken : {"", "ab", "abc", "zz00ff00ff"}) {
        EXPECT_FALSE(PasswordSeal::Open(code, broken)) << broken;
    }
    const auto digest = PasswordSeal::CodeDigest(code);
    ASSERT_TRUE(digest);
    EXPECT_EQ(digest->size(), 64u);
    EXPECT_EQ(digest->find(code), std::string::npos);
}
