#include "platform/linux/SingleInstanceLock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/SingleInstanceRefusal.h"
#include "support/TempFolder.h"

namespace {

// flock locks belong to the open file, so a second lock in the same process already meets
// the first; a child process shows the same as a second program would.
TEST(SingleInstanceLockTest, OneHolderAtATimeAndFreeAgainAfterwards) {
    TempFolder folder;
    const auto file = folder / "MY_KESTROVIN_CLIENT.lock";
    {
        SingleInstanceLock first(file);
        ASSERT_TRUE(first.Held()) << first.Error();
        SingleInstanceLock second(file);
        EXPECT_FALSE(second.Held());
        EXPECT_TRUE(second.HeldByAnother());

        const pid_t child = ::fork();
        if (child == 0) {
            SingleInstanceLock inChild(file);
            ::_exit(inChild.HeldByAnother() ? 0 : 1);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    SingleInstanceLock again(file);
    EXPECT_TRUE(again.Held());

    SingleInstanceLock nowhere(folder / "missing" / "x.lock");
    EXPECT_FALSE(nowhere.Held());
    EXPECT_FALSE(nowhere.HeldByAnother());
    EXPECT_FALSE(nowhere.Error().empty());
}

// A lock that cannot be taken at all says nothing about another copy: the program refuses to
// start rather than risk two copies counting the same keys.
TEST(SingleInstanceLockTest, OnlyTheHolderMayGoOn) {
    TempFolder folder;
    SingleInstanceLock held(folder / "x.lock");
    SingleInstanceLock another(folder / "x.lock");
    SingleInstanceLock nowhere(folder / "missing" / "x.lock");

    EXPECT_EQ(SingleInstanceRefusal(held, "running"), std::nullopt);
    EXPECT_EQ(SingleInstanceRefusal(another, "running"), "running");
    const std::optional<std::string> refusal = SingleInstanceRefusal(nowhere, "running");
    ASSERT_TRUE(refusal.has_value());
    EXPECT_NE(refusal->find("cannot make sure that only one copy of it runs"), std::string::npos);
    EXPECT_NE(refusal->find(nowhere.Error()), std::string::npos) << *refusal;
}

}  // namespace
