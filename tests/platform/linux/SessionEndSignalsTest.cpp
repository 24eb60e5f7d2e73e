#include "platform/linux/SessionEndSignals.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <csignal>
#include <initializer_list>

namespace {

TEST(SessionEndSignalsTest, EachEndingSignalBecomesReadable) {
    SessionEndSignals signals;
    ASSERT_TRUE(signals.Install());
    EXPECT_EQ(signals.Take(), 0);
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        ASSERT_EQ(::raise(signal), 0);
        pollfd readable{signals.ReadFd(), POLLIN, 0};
        ASSERT_EQ(::poll(&readable, 1, 1000), 1);
        EXPECT_EQ(signals.Take(), signal);
    }
    // Later tests must not meet a handler that writes into a pipe nobody reads.
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        std::signal(signal, SIG_DFL);
    }
}

}  // namespace
