// Input read in batches from a real pipe through the Qt event loop.
#include "desktop/BatchedReadNotifier.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QTest>
#include <string>

namespace {

using namespace std::chrono_literals;

class BatchedReadNotifierTest : public ::testing::Test {
protected:
    BatchedReadNotifierTest() { EXPECT_EQ(pipe2(ends, O_NONBLOCK | O_CLOEXEC), 0); }
    ~BatchedReadNotifierTest() override {
        close(ends[0]);
        close(ends[1]);
    }
    void Send(const std::string& bytes) {
        ASSERT_EQ(write(ends[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // What the pipe holds now.
    std::string Drain() {
        std::string all;
        char buffer[64];
        for (ssize_t n; (n = read(ends[0], buffer, sizeof buffer)) > 0;) {
            all.append(buffer, static_cast<std::size_t>(n));
        }
        return all;
    }

    int ends[2] = {-1, -1};
    std::vector<std::string> reads;
};

TEST_F(BatchedReadNotifierTest, WhatArrivesTogetherIsReadInOneGoAndLaterInputAgain) {
    BatchedReadNotifier notifier(ends[0], [this] { reads.push_back(Drain()); });
    Send("a");
    Send("b");
    Send("c");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reads.empty(); }, 5000));
    QTest::qWait(50);
    EXPECT_EQ(reads, (std::vector<std::string>{"abc"}));

    Send("d");
    ASSERT_TRUE(QTest::qWaitFor([&] { return reads.size() == 2; }, 5000));
    EXPECT_EQ(reads[1], "d");
}

TEST_F(BatchedReadNotifierTest, WhatTheReaderLeavesIsReadInTheNextBatch) {
    // Takes one byte a time, as a reader that stops at a full buffer.
    BatchedReadNotifier notifier(ends[0], [this] {
        char byte = 0;
        if (read(ends[0], &byte, 1) == 1) {
            reads.emplace_back(1, byte);
        }
    });
    Send("xyz");
    ASSERT_TRUE(QTest::qWaitFor([&] { return reads.size() == 3; }, 5000));
    EXPECT_EQ(reads, (std::vector<std::string>{"x", "y", "z"}));
}

TEST_F(BatchedReadNotifierTest, AReaderThatStopsItIsNotCalledAgain) {
    // A lost X connection stays readable for ever.
    BatchedReadNotifier* self = nullptr;
    BatchedReadNotifier notifier(ends[0], [&] {
        reads.push_back("lost");
        self->Stop();
    });
    self = &notifier;
    Send("never read");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !reads.empty(); }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(reads.size(), 1u);
}

}  // namespace
