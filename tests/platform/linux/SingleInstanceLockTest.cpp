#include "platform/linux/SingleInstanceLock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

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

}  // namespace
