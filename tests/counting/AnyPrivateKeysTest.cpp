#include "counting/AnyPrivateKeys.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>
#include <vector>

#include "support/RecordingPorts.h"

namespace {

// The lock and a password field: the whole changes only when the first source makes the keys
// private or the last one lets them go, and each notice comes while the old state still holds.
TEST(AnyPrivateKeysTest, TellsTheChangesOfTheWholeBeforeTheyTakeEffect) {
    SwitchedLock lock;
    SwitchedLock passwordField;
    // (the coming state, the state asked for during the notice)
    std::vector<std::pair<bool, bool>> notices;
    {
        AnyPrivateKeys keys({&lock, &passwordField});
        keys.OnChange([&](bool coming) { notices.emplace_back(coming, keys.KeysArePrivate()); });
        const struct {
            SwitchedLock* source;
            bool value;
            bool privateAfter;
            std::optional<bool> notice;
        } steps[] = {
            {&passwordField, true, true, true},
            {&lock, true, true, std::nullopt},
            {&passwordField, false, true, std::nullopt},
            {&lock, false, false, false},
            {&lock, true, true, true},
            {&lock, false, false, false},
        };
        for (const auto& step : steps) {
            notices.clear();
            step.source->Set(step.value);
            EXPECT_EQ(keys.KeysArePrivate(), step.privateAfter);
            if (step.notice) {
                EXPECT_EQ(notices,
                          (std::vector<std::pair<bool, bool>>{{*step.notice, !*step.notice}}));
            } else {
                EXPECT_TRUE(notices.empty());
            }
        }
    }
    notices.clear();
    lock.Set(true);  // after the whole has gone, its sources tell nobody
    EXPECT_TRUE(notices.empty());
}

}  // namespace
