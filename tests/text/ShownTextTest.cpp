#include "text/ShownText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ShownTextTest, BalloonsKeepTheirTitleAndTextLimits) {
    const std::string title(200, 't');
    const std::string text(300'000, 'x');
    EXPECT_EQ(ShownText::BalloonTitle(title), std::string(63, 't'));
    EXPECT_EQ(ShownText::BalloonText(text), std::string(255, 'x'));
    EXPECT_EQ(ShownText::BalloonTitle("Skelded!"), "Skelded!");
    EXPECT_EQ(ShownText::BalloonText(std::string(255, 'x')), std::string(255, 'x'));
    // Characters, not bytes: a cut never splits a UTF-8 sequence.
    std::string umlauts;
    for (int i = 0; i < 100; ++i) {
        umlauts += "\xc3\xa4";
    }
    EXPECT_EQ(ShownText::BalloonTitle(umlauts), umlauts.substr(0, 126));
}

TEST(ShownTextTest, MessagesAreBoundInCharactersAndLinesAndMarkedWhenCut) {
    const std::string mark(ShownText::kCutMark);
    std::string lines;
    for (int i = 1; i <= 30; ++i) {
        lines += "line " + std::to_string(i) + "\n";
    }
    std::string twentyLines;
    for (int i = 1; i <= 20; ++i) {
        twentyLines += (i > 1 ? "\n" : "") + ("line " + std::to_string(i));
    }
    const struct {
        std::string Text;
        std::string Shown;
    } cases[] = {
        {"Server message: Slow down", "Server message: Slow down"},
        {"", ""},
        {std::string(1000, 'a'), std::string(1000, 'a')},
        {std::string(1001, 'a'), std::string(1000, 'a') + mark},
        {std::string(1'000'000, 'a'), std::string(1000, 'a') + mark},
        {twentyLines, twentyLines},
        {twentyLines + "\n", twentyLines + "\n"},
        {lines, twentyLines + mark},
        {std::string(5000, '\n'), std::string(19, '\n') + mark},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Text.substr(0, 30));
        EXPECT_EQ(ShownText::Message(c.Text), c.Shown);
    }
}

}  // namespace
