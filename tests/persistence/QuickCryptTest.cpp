#include "counting/QuickCrypt.h"

#include <gtest/gtest.h>

#include <cctype>
#include <vector>

#include "support/FixedClock.h"

namespace {

class QuickCryptTest : public ::testing::Test {
protected:
    void SetUp() override { CQuickCrypt::UseClock(&clock_); }
    void TearDown() override { CQuickCrypt::UseClock(nullptr); }

    static std::string Encode(std::string_view plain) {
        CQuickCrypt crypt;
        crypt.SetPlainText(plain);
        return crypt.Encode();
    }
    static std::string Decode(std::string_view encoded) {
        CQuickCrypt crypt;
        crypt.SetEncodedText(encoded);
        return crypt.Decode();
    }

    FixedClock clock_;
};

bool IsFiller(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0;
}

TEST_F(QuickCryptTest, EncodesEachByteAsTwoNibbleLettersAndAFiller) {
    EXPECT_EQ(Encode(""), "");
    EXPECT_EQ(Decode(""), "");

    const std::string abc = Encode("abc");
    ASSERT_EQ(abc.size(), 9u);
    EXPECT_EQ(std::string({abc[0], abc[1], abc[3], abc[4], abc[6], abc[7]}), "lgmink");
    EXPECT_TRUE(IsFiller(abc[2]) && IsFiller(abc[5]) && IsFiller(abc[8]));

    const std::string zero = Encode("0");
    ASSERT_EQ(zero.size(), 3u);
    EXPECT_EQ(zero.substr(0, 2), "if");
}

TEST_F(QuickCryptTest, OffsetRepeatsEveryTenBytes) {
    const std::string encoded = Encode("00000000000");
    EXPECT_EQ(encoded.substr(30, 2), encoded.substr(0, 2));
    EXPECT_NE(encoded.substr(27, 2), encoded.substr(0, 2));
}

TEST_F(QuickCryptTest, TreatsBytesAsUnsigned) {
    const std::string encoded = Encode("\xFF\x80");
    // 0xFF at offset 5: "a" + 15 + 5 twice; 0x80 at offset 6: "a" + 8 + 6, "a" + 0 + 6.
    EXPECT_EQ(encoded.substr(0, 2), "uu");
    EXPECT_EQ(encoded.substr(3, 2), "og");
    EXPECT_EQ(Decode(encoded), "\xFF\x80");
}

TEST_F(QuickCryptTest, RoundTripsEveryNonZeroByteAtEveryOffset) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all.push_back(static_cast<char>(b));
    }
    EXPECT_EQ(Decode(Encode(all)), all);
}

TEST_F(QuickCryptTest, DecodeIgnoresFillersAndToleratesShortGroups) {
    std::string encoded = Encode("hello world");
    for (std::size_t i = 2; i < encoded.size(); i += 3) {
        encoded[i] = '#';
    }
    EXPECT_EQ(Decode(encoded), "hello world");

    const std::string two = Encode("AB");
    EXPECT_EQ(Decode(two.substr(0, 5)), "AB");  // last group of two characters
    // A lone last character decodes with a zero second character.
    const int k = 6;
    const auto expected = static_cast<char>(((two[3] - k - 97) * 16 + (0 - k - 97)) & 0xFF);
    EXPECT_EQ(Decode(two.substr(0, 4)), std::string({'A', expected}));
}

TEST_F(QuickCryptTest, FillersDependOnlyOnTheSecond) {
    const std::string first = Encode("same text");
    EXPECT_EQ(Encode("same text"), first);
    clock_.Advance(1);
    EXPECT_NE(Encode("same text"), first);
}

TEST_F(QuickCryptTest, EveryEncodeReseedsTheGeneratorWithTheSecond) {
    struct RecordingRandom final : FillerRandom {
        void Seed(unsigned seed) override { seeds.push_back(seed); }
        int Next() override { return 61; }  // always the last usable filler, "z"
        std::vector<unsigned> seeds;
    } random;
    CQuickCrypt::UseRandom(&random);
    const std::string encoded = Encode("ab");
    Encode("");
    CQuickCrypt::UseRandom(nullptr);
    EXPECT_EQ(random.seeds, (std::vector<unsigned>{1'700'000'000u, 1'700'000'000u}));
    EXPECT_EQ(encoded[2], 'z');
    EXPECT_EQ(encoded[5], 'z');
}

TEST_F(QuickCryptTest, CountersReadTheLeadingDecimalNumber) {
    const struct {
        const char* text;
        std::int32_t value;
    } cases[] = {
        {"", 0},
        {"0", 0},
        {"42", 42},
        {"  -17x", -17},
        {"+8", 8},
        {"abc", 0},
        {"12 34", 12},
        {"\t5", 5},
        {"2147483647", 2147483647},
        {"99999999999", 2147483647},
        {"-99999999999", -2147483647 - 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CQuickCrypt::ReadCounter(Encode(c.text)), c.value) << c.text;
    }
}

TEST_F(QuickCryptTest, AddingToAnEmptyCounterStoresTheNewValue) {
    std::string counter;
    CQuickCrypt::AddToCounter(counter, 5);
    EXPECT_EQ(counter, Encode("5"));
    CQuickCrypt::AddToCounter(counter, 1);
    EXPECT_EQ(Decode(counter), "6");
    CQuickCrypt::ResetCounter(counter);
    EXPECT_EQ(counter, Encode("0"));
}

}  // namespace
