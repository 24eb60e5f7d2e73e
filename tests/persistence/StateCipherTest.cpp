#include "persistence/StateCipher.h"

#include <gtest/gtest.h>

namespace {

TEST(StateCipherTest, PadsEveryMessageToTheNextWholeBlock) {
    for (const std::size_t length : {0u, 1u, 15u, 16u, 17u, 4095u, 4096u, 5000u}) {
        std::string plain(length, '\0');
        for (std::size_t i = 0; i < length; ++i) {
            plain[i] = static_cast<char>(i * 7);
        }
        const std::optional<std::string> cipher = StateCipher::Encrypt(plain);
        ASSERT_TRUE(cipher) << length;
        EXPECT_EQ(cipher->size(), 16 * (length / 16 + 1)) << length;
        EXPECT_EQ(StateCipher::Decrypt(*cipher), plain) << length;
    }
}

TEST(StateCipherTest, SameMessageGivesSameCiphertext) {
    const std::string plain(40, 'k');
    EXPECT_EQ(StateCipher::Encrypt(plain), StateCipher::Encrypt(plain));
    EXPECT_NE(StateCipher::Encrypt(plain), StateCipher::Encrypt(plain + "!"));
    // CBC chains the blocks: a change in the first block changes every later one.
    std::string changed = plain;
    changed[0] = 'K';
    EXPECT_NE(StateCipher::Encrypt(changed)->substr(32), StateCipher::Encrypt(plain)->substr(32));
}

TEST(StateCipherTest, RejectsCiphertextThatIsNotOneWholeMessage) {
    const std::string valid = *StateCipher::Encrypt(std::string(20, 's'));  // pads with 12 12s
    // Flipping a bit of the first block flips the same bit of the second block's plain text:
    // its last byte, the padding count, becomes 12 ^ 0x40.
    std::string badPadding = valid;
    badPadding[15] = static_cast<char>(badPadding[15] ^ 0x40);

    const struct {
        const char* name;
        std::string cipher;
        const char* error;
    } cases[] = {
        {"empty", "", "the data is empty"},
        {"one byte short", valid.substr(0, 31), "the length of 31 bytes is not a multiple of 16"},
        {"one byte over", valid + "x", "the length of 33 bytes is not a multiple of 16"},
        {"wrong padding", badPadding, "bad padding"},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(StateCipher::Decrypt(c.cipher, &error), std::nullopt) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
    }
}

}  // namespace
