#include "geek/GeekWindowPlace.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();

TEST(GeekWindowPlaceTest, TheStoredPlaceIsBroughtOntoTheScreen) {
    // A 1024 × 768 screen with a 24-pixel panel at the top.
    const GeekWindowPlace screen{0, 24, 1024, 744};
    const struct {
        GeekWindowPlace Stored;
        GeekWindowPlace Opened;
    } cases[] = {
        {{100, 200, 200, 98}, {100, 200, 200, 98}},      // on the screen: as stored
        {{kMax, kMax, kMax, kMax}, {0, 24, 1024, 744}},  // a hand-edited extreme
        {{kMin, kMin, 0, -5}, {0, 24, 1, 1}},            // no size at all
        {{1000, 700, 200, 98}, {824, 670, 200, 98}},     // hanging off the bottom right
        {{-50, 0, 200, 98}, {0, 24, 200, 98}},           // off the left, under the panel
    };
    for (const auto& c : cases) {
        EXPECT_EQ(GeekWindowPlace::Fit(c.Stored, screen), c.Opened)
            << c.Stored.X << "," << c.Stored.Y << " " << c.Stored.Width << "x" << c.Stored.Height;
    }
}

}  // namespace
