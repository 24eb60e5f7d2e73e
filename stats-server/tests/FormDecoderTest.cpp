#include "FormDecoder.h"

#include <gtest/gtest.h>

#include "ServerFixture.h"

namespace {

TEST(FormDecoderTest, DecodesTheFieldsInOrder) {
    const auto result = FormDecoder::Decode(
        EncodedBody({{"action", "skeld"}, {"password", "p\xe4ss w=rd&"}, {"token", ""}}));
    ASSERT_TRUE(result.form) << result.error;
    const DecodedForm::Field expected[] = {{"action", "skeld"},
                                           {"password", "p\xe4ss w=rd&"},
                                           {"token", ""},
                                           {"client_version", "1.7.1"}};
    ASSERT_EQ(result.form->Fields().size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(result.form->Fields()[i], expected[i]);
    }
    EXPECT_EQ(result.form->Find("token"), "");
    EXPECT_EQ(result.form->Find("email"), std::nullopt);
}

TEST(FormDecoderTest, WellFormedEncodingFollowsThePositionWindow) {
    // "abc" encodes as l g ? m i ? n k ?: each nibble character lies within "a" + offset to
    // "a" + offset + 15, offset (position + 5) mod 10.
    EXPECT_TRUE(FormDecoder::IsWellFormedEncoding("lgXmi0nkz"));
    EXPECT_TRUE(FormDecoder::IsWellFormedEncoding(""));
    EXPECT_FALSE(FormDecoder::IsWellFormedEncoding("lgXmi0nk"));  // a group cut short
    EXPECT_FALSE(FormDecoder::IsWellFormedEncoding("egX"));       // below the window
    EXPECT_FALSE(FormDecoder::IsWellFormedEncoding("vgX"));       // above the window
    EXPECT_FALSE(FormDecoder::IsWellFormedEncoding("lg-"));       // filler not alphanumeric
    EXPECT_FALSE(FormDecoder::IsWellFormedEncoding("action"));
}

}  // namespace
