#include "platform/evdev/EvdevReader.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <vector>

#include "platform/LinuxKeyCodeToVirtualKey.h"
#include "support/InputEvents.h"

namespace {

input_event Key(unsigned short code, int value) {
    return InputEvent(EV_KEY, code, value);
}
input_event Report() {
    return InputEvent(EV_SYN, SYN_REPORT, 0);
}

// A device's stream through a real pipe, read as the event loop reads it.
class EvdevReaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(::pipe2(fds_, O_NONBLOCK | O_CLOEXEC), 0);
        reader_ = std::make_unique<EvdevReader>(fds_[0], false);
    }
    void TearDown() override {
        ::close(fds_[0]);
        if (fds_[1] >= 0) {
            ::close(fds_[1]);
        }
    }

    void Write(const std::vector<input_event>& events) {
        const auto size = static_cast<ssize_t>(events.size() * sizeof(input_event));
        ASSERT_EQ(::write(fds_[1], events.data(), static_cast<size_t>(size)), size);
    }

    EvdevReader::State Read() {
        return reader_->Read([this](const RawInput& input) { inputs_.push_back(input); },
                             [this] { ++hotKeys_; });
    }

    // (type, code, message-or-flags) of what was delivered.
    std::vector<std::pair<std::uint16_t, std::uint32_t>> Keys() const {
        std::vector<std::pair<std::uint16_t, std::uint32_t>> keys;
        for (const RawInput& input : inputs_) {
            if (input.header.dwType == RawInput::kTypeKeyboard) {
                keys.emplace_back(input.keyboard.VKey, input.keyboard.Message);
            }
        }
        return keys;
    }
    std::vector<std::uint16_t> Buttons() const {
        std::vector<std::uint16_t> buttons;
        for (const RawInput& input : inputs_) {
            if (input.header.dwType == RawInput::kTypeMouse) {
                buttons.push_back(input.mouse.usButtonFlags);
            }
        }
        return buttons;
    }

    int fds_[2] = {-1, -1};
    std::unique_ptr<EvdevReader> reader_;
    std::vector<RawInput> inputs_;
    int hotKeys_ = 0;
};

using KeyList = std::vector<std::pair<std::uint16_t, std::uint32_t>>;
constexpr std::uint32_t kDown = RawInput::kKeyDown;
constexpr std::uint32_t kUp = RawInput::kKeyUp;

TEST_F(EvdevReaderTest, TypingGivesPressAndReleaseAndRepeatsAreNotKeys) {
    Write({InputEvent(EV_MSC, MSC_SCAN, 0x1e), Key(KEY_A, 1), Report(), Key(KEY_A, 2), Report(),
           Key(KEY_A, 2), Report(), Key(KEY_A, 0), Report(), Key(KEY_RIGHTSHIFT, 1),
           Key(KEY_RIGHTCTRL, 1), Key(KEY_KPENTER, 1), Key(KEY_KPENTER, 0), Key(KEY_PROG1, 1),
           Key(KEY_PROG1, 0), Report()});
    EXPECT_EQ(Read(), EvdevReader::State::Open);
    EXPECT_EQ(Keys(), (KeyList{{'A', kDown},
                               {'A', kUp},
                               {0xA1, kDown},
                               {0xA3, kDown},
                               {0x0D, kDown},
                               {0x0D, kUp},
                               {kUnnamedVirtualKey, kDown},
                               {kUnnamedVirtualKey, kUp}}));
    EXPECT_TRUE(Buttons().empty());
}

TEST_F(EvdevReaderTest, KeypadFollowsTheNumLockLight) {
    Write({Key(KEY_KP1, 0), Report(), Key(KEY_NUMLOCK, 1), Key(KEY_NUMLOCK, 0), Report(),
           InputEvent(EV_LED, LED_NUML, 1), Report(), Key(KEY_KP1, 0), Key(KEY_KPDOT, 0), Report(),
           InputEvent(EV_LED, LED_NUML, 0), Report(), Key(KEY_KPDOT, 0), Report()});
    Read();
    EXPECT_EQ(
        Keys(),
        (KeyList{{0x23, kUp}, {0x90, kDown}, {0x90, kUp}, {0x61, kUp}, {0x6E, kUp}, {0x2E, kUp}}));
}

TEST_F(EvdevReaderTest, FiveButtonsAreClicksWheelsAndOtherButtonsAreNot) {
    Write({Key(BTN_LEFT, 1), Key(BTN_LEFT, 0), Key(BTN_RIGHT, 1), Key(BTN_RIGHT, 0),
           Key(BTN_MIDDLE, 1), Key(BTN_MIDDLE, 0), Key(BTN_SIDE, 1), Key(BTN_SIDE, 0),
           Key(BTN_EXTRA, 1), Key(BTN_EXTRA, 0), Report(), InputEvent(EV_REL, REL_WHEEL, -1),
           InputEvent(EV_REL, REL_HWHEEL, 1), InputEvent(EV_REL, REL_WHEEL_HI_RES, -120),
           Key(BTN_TOUCH, 1), Key(BTN_TOOL_FINGER, 1), Key(BTN_TASK, 1), Report()});
    Read();
    EXPECT_EQ(Buttons(), (std::vector<std::uint16_t>{
                             RawInput::kButton1Down, RawInput::kButton1Up, RawInput::kButton2Down,
                             RawInput::kButton2Up, RawInput::kButton3Down, RawInput::kButton3Up,
                             RawInput::kButton4Down, RawInput::kButton4Up, RawInput::kButton5Down,
                             RawInput::kButton5Up}));
    EXPECT_TRUE(Keys().empty());
}

TEST_F(EvdevReaderTest, RelativeMotionIsGatheredUntilTaken) {
    Write({InputEvent(EV_REL, REL_X, 5), InputEvent(EV_REL, REL_Y, -3), Report(),
           InputEvent(EV_REL, REL_X, -2), InputEvent(EV_REL, REL_WHEEL, 1), Report()});
    Read();
    long dx = 0;
    long dy = 0;
    reader_->TakeMotion(&dx, &dy);
    EXPECT_EQ(dx, 3);
    EXPECT_EQ(dy, -3);
    reader_->TakeMotion(&dx, &dy);
    EXPECT_EQ(dx, 0);
    EXPECT_EQ(dy, 0);
}

TEST_F(EvdevReaderTest, HotKeyIsCtrlAltAndPReleasedAndItsKeysStillCount) {
    Write({Key(KEY_LEFTCTRL, 1), Key(KEY_P, 1), Key(KEY_P, 0), Report(),  // Ctrl+P only
           Key(KEY_RIGHTALT, 1), Key(KEY_P, 1), Key(KEY_P, 2), Report()});
    Read();
    EXPECT_EQ(hotKeys_, 0);  // not yet: P is still down
    Write({Key(KEY_P, 0), Report(), Key(KEY_LEFTCTRL, 0), Key(KEY_RIGHTALT, 0), Key(KEY_P, 1),
           Key(KEY_P, 0), Report()});
    Read();
    EXPECT_EQ(hotKeys_, 1);
    EXPECT_EQ(Keys().size(), 10u);
}

TEST_F(EvdevReaderTest, TornFrameAfterAnOverflowIsSkipped) {
    Write({Key(KEY_B, 1), InputEvent(EV_SYN, SYN_DROPPED, 0), Key(KEY_B, 0), Key(BTN_LEFT, 0),
           Report(), Key(KEY_C, 0), Report()});
    Read();
    EXPECT_EQ(Keys(), (KeyList{{'B', kDown}, {'C', kUp}}));
    EXPECT_TRUE(Buttons().empty());
}

// A device that floods: each read takes a bounded batch and leaves the rest for the next one,
// and in the end every record has arrived once, in order.
TEST_F(EvdevReaderTest, AFloodIsReadInBoundedBatchesWithNothingLost) {
    constexpr std::size_t batch = EvdevReader::kMostRecordsPerRead;
    std::vector<input_event> flood;
    KeyList expected;
    for (std::size_t i = 0; i < 3 * batch + 10; ++i) {
        const auto code = static_cast<unsigned short>(KEY_1 + i / 2 % 10);
        flood.push_back(Key(code, i % 2 == 0 ? 1 : 0));
        expected.emplace_back(LinuxKeyCodeToVirtualKey(code, false), i % 2 == 0 ? kDown : kUp);
    }
    Write(flood);
    std::vector<std::size_t> batches;
    for (int reads = 0; reads < 10 && Keys().size() < flood.size(); ++reads) {
        const std::size_t before = Keys().size();
        ASSERT_EQ(Read(), EvdevReader::State::Open);
        batches.push_back(Keys().size() - before);
    }
    EXPECT_EQ(batches, (std::vector<std::size_t>{batch, batch, batch, 10}));
    EXPECT_EQ(Keys(), expected);
}

TEST_F(EvdevReaderTest, RecordSplitAcrossReadsIsKeptAndTheEndIsGoneNotFailed) {
    const input_event events[] = {Key(KEY_D, 1), Key(KEY_D, 0)};
    const auto* bytes = reinterpret_cast<const unsigned char*>(events);
    const size_t cut = sizeof(input_event) + 5;
    ASSERT_EQ(::write(fds_[1], bytes, cut), static_cast<ssize_t>(cut));
    EXPECT_EQ(Read(), EvdevReader::State::Open);
    EXPECT_EQ(Keys(), (KeyList{{'D', kDown}}));
    ASSERT_EQ(::write(fds_[1], bytes + cut, sizeof events - cut),
              static_cast<ssize_t>(sizeof events - cut));
    EXPECT_EQ(Read(), EvdevReader::State::Open);
    EXPECT_EQ(Keys(), (KeyList{{'D', kDown}, {'D', kUp}}));

    ::close(fds_[1]);
    fds_[1] = -1;
    std::string error;
    EXPECT_EQ(reader_->Read([](const RawInput&) {}, [] {}, &error), EvdevReader::State::Gone);
    EXPECT_TRUE(error.empty());
}

}  // namespace
