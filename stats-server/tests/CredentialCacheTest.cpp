#include "CredentialCache.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

using namespace std::chrono_literals;

TEST(CredentialCacheTest, MatchesOnlyTheRememberedPasswordForTheSameStoredHash) {
    CredentialCache cache(10min);
    const auto start = CredentialCache::Clock::time_point{} + 1h;
    EXPECT_FALSE(cache.Matches(7, "hash-a", "pw", start));  // failures are never remembered

    cache.Remember(7, "hash-a", "pw", start);
    EXPECT_TRUE(cache.Matches(7, "hash-a", "pw", start + 1min));
    EXPECT_FALSE(cache.Matches(7, "hash-a", "pW", start + 1min));
    EXPECT_FALSE(cache.Matches(7, "hash-a", "", start + 1min));
    EXPECT_FALSE(cache.Matches(8, "hash-a", "pw", start + 1min));
    EXPECT_TRUE(cache.Matches(7, "hash-a", "pw", start + 1min));  // a wrong guess drops nothing

    // A changed password (a new stored hash) drops the entry for good.
    EXPECT_FALSE(cache.Matches(7, "hash-b", "pw", start + 2min));
    EXPECT_FALSE(cache.Matches(7, "hash-a", "pw", start + 2min));
}

TEST(CredentialCacheTest, EntriesExpireAndCanBeForgotten) {
    CredentialCache cache(10min);
    const auto start = CredentialCache::Clock::time_point{} + 1h;
    cache.Remember(1, "h", "pw", start);
    cache.Remember(2, "h", "pw", start);
    EXPECT_TRUE(cache.Matches(1, "h", "pw", start + 9min));
    EXPECT_FALSE(cache.Matches(1, "h", "pw", start + 10min));
    cache.Forget(2);
    EXPECT_FALSE(cache.Matches(2, "h", "pw", start + 1min));
}

TEST(CredentialCacheTest, AShortenedLifetimeAppliesToEntriesAlreadyHeld) {
    CredentialCache cache(10min);
    const auto start = CredentialCache::Clock::time_point{} + 1h;
    cache.Remember(1, "h", "pw", start);
    cache.SetLifetime(5min);
    EXPECT_FALSE(cache.Matches(1, "h", "pw", start + 6min));

    cache.SetLifetime(CredentialCache::Clock::duration::zero());  // remembers nothing
    cache.Remember(2, "h", "pw", start);
    EXPECT_FALSE(cache.Matches(2, "h", "pw", start));
}

}  // namespace
