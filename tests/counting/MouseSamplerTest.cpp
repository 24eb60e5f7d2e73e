#include "counting/MouseSampler.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

#include "counting/AccountState.h"
#include "counting/MouseThread.h"
#include "counting/Preferences.h"
#include "ports/PointerPort.h"

namespace {

// A cursor the test moves.
class ScriptedPointer final : public PointerPort {
public:
    void MeasurePixelsPerInch(std::int32_t& perInchX, std::int32_t& perInchY) override {
        perInchX = dpiX;
        perInchY = dpiY;
    }
    bool GetCursorPos(std::int32_t& cx, std::int32_t& cy) override {
        ++reads;
        cx = x;
        cy = y;
        return readable;
    }
    bool IsRemoteSession() override { return remote; }

    std::int32_t dpiX = 96, dpiY = 96;
    std::atomic<std::int32_t> x = 0, y = 0;
    std::atomic<int> reads = 0;
    bool readable = true;
    bool remote = false;
};

class MouseSamplerTest : public ::testing::Test {
protected:
    void SetUp() override { sampler.MeasureScreen(); }

    double MetresAfterMoveTo(std::int32_t x, std::int32_t y) {
        account.ResetUnsentDistance();
        pointer.x = x;
        pointer.y = y;
        sampler.Sample();
        return account.UnsentMetres;
    }

    ScriptedPointer pointer;
    AccountState account = AccountState::StartValues();
    Preferences preferences;
    MouseSampler sampler{pointer, account, preferences};
};

TEST_F(MouseSamplerTest, AddsTheRootOfTheSummedAxisInches) {
    EXPECT_EQ(sampler.PixelsPerInchX, 96);
    const struct {
        std::int32_t x, y;
        double metres;
    } moves[] = {
        {96, 0, 0.0254},   // first sample measures from (0, 0)
        {96, 0, 0.0},      // not moved
        {480, 0, 0.0508},  // four inches count as two
        {504, 0, 0.0127},  // a quarter inch counts as a half
        {600, 96, 0.0254 * std::sqrt(2.0)},
        {504, 0, 0.0254 * std::sqrt(2.0)},  // backwards counts the same
    };
    for (const auto& move : moves) {
        EXPECT_NEAR(MetresAfterMoveTo(move.x, move.y), move.metres, 1e-12)
            << move.x << "," << move.y;
        EXPECT_EQ(sampler.LastX, move.x);
        EXPECT_EQ(sampler.LastY, move.y);
    }
}

TEST_F(MouseSamplerTest, UsesEachAxisOwnResolution) {
    pointer.dpiX = 100;
    pointer.dpiY = 50;
    sampler.MeasureScreen();
    EXPECT_NEAR(MetresAfterMoveTo(100, 50), 0.0254 * std::sqrt(2.0), 1e-12);
}

TEST_F(MouseSamplerTest, PausesKeepTheLastPosition) {
    preferences.Distance = 0;
    EXPECT_EQ(MetresAfterMoveTo(96, 0), 0.0);
    EXPECT_EQ(pointer.reads, 0);

    preferences.Distance = 1;
    pointer.remote = true;
    EXPECT_EQ(MetresAfterMoveTo(96, 0), 0.0);

    pointer.remote = false;
    pointer.readable = false;
    EXPECT_EQ(MetresAfterMoveTo(96, 0), 0.0);
    EXPECT_EQ(sampler.LastX, 0);

    pointer.readable = true;  // the first sample after the pause measures from (0, 0)
    EXPECT_NEAR(MetresAfterMoveTo(96, 0), 0.0254, 1e-12);
}

TEST_F(MouseSamplerTest, AnUnmeasuredScreenAddsNothing) {
    pointer.dpiX = 0;
    sampler.MeasureScreen();
    EXPECT_EQ(MetresAfterMoveTo(500, 500), 0.0);
}

TEST_F(MouseSamplerTest, ThreadSamplesPeriodicallyAndStopsPromptly) {
    pointer.x = 96;
    {
        MouseThread thread(sampler, std::chrono::milliseconds(10));
        while (pointer.reads < 3) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        pointer.x = 192;
    }  // joins here
    const int readsAtStop = pointer.reads;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(pointer.reads, readsAtStop);
    EXPECT_GE(account.UnsentMetres, 0.0254);
}

TEST_F(MouseSamplerTest, ThreadStopsAtOnceEvenWithALongPeriod) {
    const auto start = std::chrono::steady_clock::now();
    { MouseThread thread(sampler); }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
}

}  // namespace
