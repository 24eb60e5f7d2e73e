// The evdev input source against a temporary device folder whose entries are FIFOs carrying
// real `struct input_event` records, the way a keyboard's and a mouse's nodes carry them.
#include "platform/evdev/EvdevInputSource.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/uinput.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <vector>

#include "counting/AccountState.h"
#include "counting/MouseSampler.h"
#include "counting/Preferences.h"
#include "platform/LinuxKeyCodeToVirtualKey.h"
#include "platform/evdev/EvdevPointer.h"
#include "support/InputEvents.h"
#include "support/TempFolder.h"

namespace {

// A key as a keyboard sends it: the scan code, the key, the end of the report.
std::vector<input_event> Stroke(unsigned short code, int value) {
    return {InputEvent(EV_MSC, MSC_SCAN, 0x70000 + code), InputEvent(EV_KEY, code, value),
            InputEvent(EV_SYN, SYN_REPORT, 0)};
}

std::vector<input_event> Typed(std::initializer_list<std::pair<unsigned short, int>> keys) {
    std::vector<input_event> events;
    for (const auto& [code, value] : keys) {
        const std::vector<input_event> stroke = Stroke(code, value);
        events.insert(events.end(), stroke.begin(), stroke.end());
    }
    return events;
}

constexpr std::uint32_t kDown = RawInput::kKeyDown;
constexpr std::uint32_t kUp = RawInput::kKeyUp;

// Whether the event loop would be woken for the descriptor now.
bool Readable(int fd) {
    pollfd watched{fd, POLLIN, 0};
    return ::poll(&watched, 1, 0) == 1 && (watched.revents & POLLIN) != 0;
}

// What a handler was given, in order: keys as (code, message), buttons as (0, flags), the hot
// key as (id, 0xFFFF).
using Delivered = std::vector<std::pair<std::uint32_t, std::uint32_t>>;

class EvdevInputSourceTest : public ::testing::Test {
protected:
    ~EvdevInputSourceTest() override {
        for (const auto& [name, fd] : writers_) {
            ::close(fd);
        }
    }

    // The test says what each entry is; real devices say it through the kernel. The entry's
    // name is found through the descriptor, as a capability query only has the descriptor.
    EvdevDeviceScan::Kind KindOf(int fd) const {
        char target[PATH_MAX] = {};
        const std::string link = "/proc/self/fd/" + std::to_string(fd);
        if (::readlink(link.c_str(), target, sizeof target - 1) < 0) {
            return {};
        }
        const auto kind = kinds_.find(std::filesystem::path(target).filename().string());
        return kind == kinds_.end() ? EvdevDeviceScan::Kind{} : kind->second;
    }

    // A device node: a FIFO the source reads and the test writes.
    void Plug(const std::string& name, bool keyboard, bool mouse) {
        kinds_[name] = {keyboard, mouse};
        ASSERT_EQ(::mkfifo((folder_ / name).c_str(), 0600), 0) << std::strerror(errno);
    }
    void OpenSource() {
        source_ =
            EvdevInputSource::Open(folder_.Path().string(), [this](int fd) { return KindOf(fd); });
        ASSERT_NE(source_, nullptr);
    }
    // Writes to a node the source has open; the FIFO's writer end opens only then.
    void Send(const std::string& name, const std::vector<input_event>& events) {
        if (writers_.count(name) == 0) {
            const int fd = ::open((folder_ / name).c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            ASSERT_GE(fd, 0) << name << " is not open for reading: " << std::strerror(errno);
            writers_[name] = fd;
        }
        const auto size = static_cast<ssize_t>(events.size() * sizeof(input_event));
        ASSERT_EQ(::write(writers_[name], events.data(), static_cast<size_t>(size)), size);
    }
    // The device goes away: its stream ends.
    void Unplug(const std::string& name) {
        ::close(writers_.at(name));
        writers_.erase(name);
        std::filesystem::remove(folder_ / name);
    }

    bool Dispatch() {
        std::string error;
        const bool alive = source_->Dispatch(
            [this](const RawInput& input) {
                if (input.header.dwType == RawInput::kTypeKeyboard) {
                    delivered_.emplace_back(input.keyboard.VKey, input.keyboard.Message);
                    heldShiftAtDelivery_.push_back(source_->KeyState().IsKeyDown(0x10));
                } else {
                    delivered_.emplace_back(0, input.mouse.usButtonFlags);
                }
            },
            [this](int id) { delivered_.emplace_back(id, 0xFFFF); }, &error);
        EXPECT_TRUE(error.empty()) << error;
        return alive;
    }

    std::vector<std::string> DeviceNames() const {
        std::vector<std::string> names;
        for (const std::string& path : source_->DevicePaths()) {
            names.push_back(std::filesystem::path(path).filename().string());
        }
        return names;
    }

    TempFolder folder_;
    std::map<std::string, EvdevDeviceScan::Kind> kinds_;
    std::map<std::string, int> writers_;
    std::unique_ptr<EvdevInputSource> source_;
    Delivered delivered_;
    std::vector<bool> heldShiftAtDelivery_;
};

// A recorded session: "Hi" typed with the left Shift, a held key repeating, a click and a
// wheel turn on the mouse, then the mouse unplugged while the keyboard goes on.
TEST_F(EvdevInputSourceTest, ARecordedSessionArrivesInOrderAndAnUnpluggedMouseIsDropped) {
    Plug("event3", true, false);
    Plug("event5", false, true);
    Plug("event7", false, false);  // a power button: neither
    OpenSource();
    EXPECT_EQ(DeviceNames(), (std::vector<std::string>{"event3", "event5"}));
    EXPECT_EQ(source_->AccessProblem(), std::nullopt);

    Send("event3", Typed({{KEY_LEFTSHIFT, 1},
                          {KEY_H, 1},
                          {KEY_H, 0},
                          {KEY_LEFTSHIFT, 0},
                          {KEY_I, 1},
                          {KEY_I, 2},
                          {KEY_I, 2},
                          {KEY_I, 0}}));
    ASSERT_TRUE(Dispatch());
    Send("event5", {InputEvent(EV_KEY, BTN_LEFT, 1), InputEvent(EV_SYN, SYN_REPORT, 0),
                    InputEvent(EV_KEY, BTN_LEFT, 0), InputEvent(EV_REL, REL_WHEEL, -1),
                    InputEvent(EV_REL, REL_WHEEL_HI_RES, -120), InputEvent(EV_SYN, SYN_REPORT, 0)});
    ASSERT_TRUE(Dispatch());
    EXPECT_EQ(delivered_, (Delivered{{0xA0, kDown},
                                     {'H', kDown},
                                     {'H', kUp},
                                     {0xA0, kUp},
                                     {'I', kDown},
                                     {'I', kUp},
                                     {0, RawInput::kButton1Down},
                                     {0, RawInput::kButton1Up}}));
    // The key state moves with the records: Shift is held while H is handled, not after.
    EXPECT_EQ(heldShiftAtDelivery_, (std::vector<bool>{true, true, true, false, false, false}));

    // What the mouse sent before it went is still counted; then it is simply gone.
    Send("event5", {InputEvent(EV_KEY, BTN_RIGHT, 1), InputEvent(EV_SYN, SYN_REPORT, 0)});
    Unplug("event5");
    delivered_.clear();
    ASSERT_TRUE(Dispatch());
    EXPECT_EQ(delivered_, (Delivered{{0, RawInput::kButton2Down}}));
    EXPECT_EQ(DeviceNames(), (std::vector<std::string>{"event3"}));

    Send("event3", Typed({{KEY_ENTER, 1}, {KEY_ENTER, 0}}));
    delivered_.clear();
    ASSERT_TRUE(Dispatch());
    EXPECT_EQ(delivered_, (Delivered{{0x0D, kDown}, {0x0D, kUp}}));
}

TEST_F(EvdevInputSourceTest, DevicesPluggedInLaterAreReadOnceTheyAreKeyboardsOrMice) {
    OpenSource();
    EXPECT_TRUE(DeviceNames().empty());

    Plug("event9", true, false);
    // A node that is not ours yet, as before udev has set its group; its change of attributes
    // is looked at again.
    Plug("event10", false, false);
    Plug("mouse2", false, true);  // not an event node
    ASSERT_TRUE(Dispatch());
    EXPECT_EQ(DeviceNames(), (std::vector<std::string>{"event9"}));
    kinds_["event10"] = {false, true};
    ASSERT_EQ(::chmod((folder_ / "event10").c_str(), 0660), 0);
    ASSERT_TRUE(Dispatch());
    EXPECT_EQ(DeviceNames(), (std::vector<std::string>{"event10", "event9"}));

    Send("event9", Typed({{KEY_K, 1}, {KEY_K, 0}}));
    ASSERT_TRUE(Dispatch());
    Send("event10", {InputEvent(EV_KEY, BTN_MIDDLE, 1), InputEvent(EV_SYN, SYN_REPORT, 0)});
    ASSERT_TRUE(Dispatch());
    EXPECT_EQ(delivered_, (Delivered{{'K', kDown}, {'K', kUp}, {0, RawInput::kButton3Down}}));

    // Unplugged and plugged again under the same name: the new node is read.
    Unplug("event9");
    Plug("event9", true, false);
    ASSERT_TRUE(Dispatch());
    Send("event9", Typed({{KEY_L, 0}}));
    delivered_.clear();
    ASSERT_TRUE(Dispatch());
    EXPECT_EQ(delivered_, (Delivered{{'L', kUp}}));
}

// More changes than the kernel queues for the folder: the notices are lost, the device that
// came meanwhile is found all the same.
TEST_F(EvdevInputSourceTest, ADevicePluggedInWhileNoticesOverflowIsFound) {
    int queued = 16384;
    std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> queued;
    OpenSource();
    // Two files by turns: the kernel merges a notice with the same one just before it.
    std::ofstream(folder_ / "busy0");
    std::ofstream(folder_ / "busy1");
    for (int change = 0; change <= queued; ++change) {
        const std::string busy = (folder_ / ("busy" + std::to_string(change % 2))).string();
        ASSERT_EQ(::chmod(busy.c_str(), change % 4 < 2 ? 0600 : 0644), 0);
    }
    Plug("event8", true, false);
    // The backlog is taken a batch per dispatch.
    for (int dispatches = 0; dispatches < 100 && DeviceNames().empty(); ++dispatches) {
        ASSERT_TRUE(Dispatch());
    }
    EXPECT_EQ(DeviceNames(), (std::vector<std::string>{"event8"}));
}

// A device that floods cannot hold the event loop: each dispatch takes a bounded batch of it,
// the descriptor stays readable for the rest, another device is read meanwhile, and in the end
// every record has arrived once, in order.
TEST_F(EvdevInputSourceTest, AFloodingDeviceIsReadInBoundedBatchesAndOthersMeanwhile) {
    Plug("event1", true, false);
    Plug("event2", false, true);
    OpenSource();
    std::vector<input_event> flood;
    Delivered expected;
    for (std::size_t i = 0; i < 3 * EvdevReader::kMostRecordsPerRead; ++i) {
        const auto code = static_cast<unsigned short>(KEY_1 + i / 2 % 10);
        flood.push_back(InputEvent(EV_KEY, code, i % 2 == 0 ? 1 : 0));
        expected.emplace_back(LinuxKeyCodeToVirtualKey(code, false), i % 2 == 0 ? kDown : kUp);
    }
    Send("event1", flood);
    Send("event2", {InputEvent(EV_KEY, BTN_LEFT, 1), InputEvent(EV_SYN, SYN_REPORT, 0)});

    ASSERT_TRUE(Dispatch());
    EXPECT_EQ(delivered_.size(), EvdevReader::kMostRecordsPerRead + 1);
    const std::pair<std::uint32_t, std::uint32_t> click{0, RawInput::kButton1Down};
    ASSERT_EQ(std::erase(delivered_, click), 1u) << "the mouse waited for the flood";
    EXPECT_TRUE(Readable(source_->FileDescriptor()));
    for (int dispatches = 0; dispatches < 10 && Readable(source_->FileDescriptor()); ++dispatches) {
        ASSERT_TRUE(Dispatch());
    }
    EXPECT_FALSE(Readable(source_->FileDescriptor()));
    EXPECT_EQ(delivered_, expected);
}

// A flood of changes in the folder is taken in bounded batches too; a device whose notice
// waits behind them is found once they have been read.
TEST_F(EvdevInputSourceTest, AFloodOfFolderNoticesIsTakenInBoundedBatches) {
    OpenSource();
    // The notice of a new entry with a short name takes 32 bytes.
    const std::size_t entries = 2 * EvdevInputSource::kMostNoticeBytesPerDispatch / 32 + 1;
    for (std::size_t entry = 0; entry < entries; ++entry) {
        std::ofstream(folder_ / ("x" + std::to_string(entry)));
    }
    Plug("event8", true, false);
    ASSERT_TRUE(Dispatch());
    EXPECT_TRUE(DeviceNames().empty());
    EXPECT_TRUE(Readable(source_->FileDescriptor()));
    for (int dispatches = 0; dispatches < 10 && DeviceNames().empty(); ++dispatches) {
        ASSERT_TRUE(Dispatch());
    }
    EXPECT_EQ(DeviceNames(), (std::vector<std::string>{"event8"}));
}

TEST_F(EvdevInputSourceTest, HotKeyOnlyWhileRegisteredAndItsKeysAlwaysCount) {
    Plug("event0", true, false);
    OpenSource();
    const auto ctrlAltP = Typed({{KEY_LEFTCTRL, 1},
                                 {KEY_RIGHTALT, 1},
                                 {KEY_P, 1},
                                 {KEY_P, 0},
                                 {KEY_RIGHTALT, 0},
                                 {KEY_LEFTCTRL, 0}});
    Send("event0", ctrlAltP);
    ASSERT_TRUE(Dispatch());
    EXPECT_EQ(delivered_.size(), 6u);

    std::string error;
    ASSERT_TRUE(source_->RegisterHotKey(&error)) << error;
    delivered_.clear();
    Send("event0", ctrlAltP);
    ASSERT_TRUE(Dispatch());
    EXPECT_EQ(delivered_, (Delivered{{0xA2, kDown},
                                     {0xA5, kDown},
                                     {'P', kDown},
                                     {'P', kUp},
                                     {InputSource::kHotKeyId, 0xFFFF},
                                     {0xA5, kUp},
                                     {0xA2, kUp}}));

    source_->UnregisterHotKey();
    delivered_.clear();
    Send("event0", ctrlAltP);
    ASSERT_TRUE(Dispatch());
    EXPECT_EQ(delivered_.size(), 6u);
}

// A handler may run a nested event loop (a message box) that dispatches again: the records
// still reach the handlers once each and in order.
TEST_F(EvdevInputSourceTest, ANestedDispatchTakesTheNextRecordsInOrder) {
    Plug("event0", true, false);
    OpenSource();
    Send("event0", Typed({{KEY_A, 1}, {KEY_A, 0}, {KEY_B, 1}, {KEY_B, 0}}));
    Delivered order;
    bool nested = false;
    std::function<void(const RawInput&)> onInput = [&](const RawInput& input) {
        order.emplace_back(input.keyboard.VKey, input.keyboard.Message);
        if (!nested) {
            nested = true;
            Send("event0", Typed({{KEY_C, 1}}));
            source_->Dispatch(onInput, {});
        }
    };
    ASSERT_TRUE(source_->Dispatch(onInput, {}));
    EXPECT_EQ(order, (Delivered{{'A', kDown}, {'A', kUp}, {'B', kDown}, {'B', kUp}, {'C', kDown}}));
}

TEST_F(EvdevInputSourceTest, RelativeMotionBecomesTravelAtTheDesktopsLogicalInch) {
    Plug("event2", false, true);
    OpenSource();
    EvdevPointer pointer(source_->Motion(), 100, 50);
    AccountState account = AccountState::StartValues();
    Preferences preferences;
    MouseSampler sampler(pointer, account, preferences);
    sampler.MeasureScreen();
    EXPECT_EQ(sampler.PixelsPerInchX, 100);
    EXPECT_FALSE(pointer.IsRemoteSession());

    // 100 counts right in two reports and 50 down: one inch on each axis, the root of two.
    Send("event2", {InputEvent(EV_REL, REL_X, 70), InputEvent(EV_SYN, SYN_REPORT, 0),
                    InputEvent(EV_REL, REL_X, 30), InputEvent(EV_REL, REL_Y, 50),
                    InputEvent(EV_REL, REL_WHEEL, 3), InputEvent(EV_SYN, SYN_REPORT, 0)});
    ASSERT_TRUE(Dispatch());
    sampler.Sample();
    EXPECT_NEAR(account.UnsentMetres, std::sqrt(2.0) * 0.0254, 1e-12);
    // There and back within the second: no travel, as the cursor sampled once a second shows.
    account.ResetUnsentDistance();
    Send("event2", {InputEvent(EV_REL, REL_X, 40), InputEvent(EV_SYN, SYN_REPORT, 0),
                    InputEvent(EV_REL, REL_X, -40), InputEvent(EV_SYN, SYN_REPORT, 0)});
    ASSERT_TRUE(Dispatch());
    sampler.Sample();
    EXPECT_EQ(account.UnsentMetres, 0.0);
    EXPECT_TRUE(delivered_.empty());
}

// Root opens any node, so the refusal is an entry that cannot be opened for another reason
// (a socket: "No such device or address"); a user outside the input group meets "Permission
// denied" the same way.
TEST_F(EvdevInputSourceTest, RefusedEntriesWithoutAKeyboardAreAProblemToTellTheUser) {
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = (folder_ / "event1").string();
    ASSERT_LT(path.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, path.c_str());
    ASSERT_EQ(::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    Plug("event4", false, true);

    OpenSource();
    const std::optional<std::string> problem = source_->AccessProblem();
    ASSERT_TRUE(problem.has_value());
    EXPECT_NE(problem->find("sudo usermod -aG input $USER"), std::string::npos) << *problem;
    EXPECT_NE(problem->find("event1: No such device or address"), std::string::npos) << *problem;

    // With a keyboard read, keys are counted: nothing to tell.
    Plug("event6", true, false);
    source_.reset();
    OpenSource();
    EXPECT_EQ(source_->AccessProblem(), std::nullopt);
    ::close(socket);
}

TEST(EvdevInputSourceOpenTest, AFolderThatCannotBeWatchedIsAnError) {
    TempFolder folder;
    std::string error;
    EXPECT_EQ(EvdevInputSource::Open((folder / "absent").string(),
                                     [](int) { return EvdevDeviceScan::Kind{}; }, &error),
              nullptr);
    EXPECT_NE(error.find("No such file or directory"), std::string::npos) << error;
}

// A virtual keyboard the kernel makes (uinput), found by its capabilities as the program finds
// one, plugged in, typed on and unplugged while the source runs.
TEST(EvdevInputSourceKernelTest, AVirtualKeyboardIsFoundReadAndDroppedWhenItGoes) {
    const int uinput = ::open("/dev/uinput", O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (uinput < 0) {
        GTEST_SKIP() << "/dev/uinput cannot be opened (" << std::strerror(errno)
                     << "): this kernel offers no virtual input devices here";
    }
    std::unique_ptr<EvdevInputSource> source = EvdevInputSource::Open(
        EvdevInputSource::kDeviceFolder, EvdevDeviceScan::KernelCapabilities);
    ASSERT_NE(source, nullptr);
    const std::vector<std::string> before = source->DevicePaths();

    ::ioctl(uinput, UI_SET_EVBIT, EV_KEY);
    for (int key = KEY_ESC; key <= KEY_SPACE; ++key) {
        ::ioctl(uinput, UI_SET_KEYBIT, key);
    }
    uinput_setup setup{};
    setup.id.bustype = BUS_VIRTUAL;
    std::strcpy(setup.name, "Kestrovin test keyboard");
    ASSERT_EQ(::ioctl(uinput, UI_DEV_SETUP, &setup), 0) << std::strerror(errno);
    ASSERT_EQ(::ioctl(uinput, UI_DEV_CREATE), 0) << std::strerror(errno);

    Delivered keys;
    const auto dispatchUntil = [&](const std::function<bool()>& done) {
        for (int waits = 0; waits < 50 && !done(); ++waits) {
            pollfd ready{source->FileDescriptor(), POLLIN, 0};
            ::poll(&ready, 1, 100);
            source->Dispatch(
                [&](const RawInput& input) {
                    if (input.header.dwType == RawInput::kTypeKeyboard) {
                        keys.emplace_back(input.keyboard.VKey, input.keyboard.Message);
                    }
                },
                {});
        }
        return done();
    };
    ASSERT_TRUE(dispatchUntil([&] { return source->DevicePaths().size() > before.size(); }))
        << "the virtual keyboard was not picked up";

    for (const auto& [code, value] : {std::pair{KEY_K, 1}, {KEY_K, 2}, {KEY_K, 0}}) {
        const input_event events[] = {InputEvent(EV_KEY, static_cast<unsigned short>(code), value),
                                      InputEvent(EV_SYN, SYN_REPORT, 0)};
        ASSERT_EQ(::write(uinput, events, sizeof events), static_cast<ssize_t>(sizeof events));
    }
    const Delivered typed{{'K', kDown}, {'K', kUp}};
    // The machine's own keyboards may be typed on meanwhile: only ours is looked for.
    EXPECT_TRUE(dispatchUntil([&] {
        return std::search(keys.begin(), keys.end(), typed.begin(), typed.end()) != keys.end();
    }));

    ::ioctl(uinput, UI_DEV_DESTROY);
    ::close(uinput);
    EXPECT_TRUE(dispatchUntil([&] { return source->DevicePaths() == before; }))
        << "the unplugged keyboard was not dropped";
}

}  // namespace
