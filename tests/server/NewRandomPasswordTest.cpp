#include "server/NewRandomPassword.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

namespace {

TEST(NewRandomPasswordTest, TenCharactersOfTheAlphabetNotTiedToTheClock) {
    std::set<std::string> seen;
    std::set<char> characters;
    for (int i = 0; i < 200; ++i) {
        // The text encoding re-seeds the process generator like this before every encode.
        std::srand(1234);
        const std::string password = NewRandomPassword();
        ASSERT_EQ(password.size(), 10u);
        EXPECT_EQ(password.find_first_not_of("qwertyuiopasdfghjklzxcvbnm1234567890"),
                  std::string::npos)
            << password;
        seen.insert(password);
        characters.insert(password.begin(), password.end());
    }
    EXPECT_EQ(seen.size(), 200u);
    EXPECT_EQ(characters.size(), 36u);  // 2000 draws leave no character out
}

}  // namespace
