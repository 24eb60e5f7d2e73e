#pragma once

#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/evdev/EvdevDeviceScan.h"
#include "platform/evdev/EvdevKeyState.h"
#include "platform/evdev/EvdevReader.h"
#include "platform/evdev/RelativeMotion.h"
#include "ports/InputSource.h"

// Keyboard and mouse-button input of a Wayland session, read from the kernel's input devices
// (/dev/input/event*): the keyboards and mice found there at the start and those plugged in
// later. FileDescriptor is an epoll descriptor that is readable while any device or the
// folder's change notice is, so the event loop watches one descriptor. A device that goes away
// is dropped without a word. The hot key is Alt+Ctrl+P seen in the same key stream: a Wayland
// client cannot grab keys, and reading them needs no grab.
class EvdevInputSource final : public InputSource {
public:
    static constexpr const char* kDeviceFolder = "/dev/input";
    // The most bytes of folder notices one Dispatch takes, as each device gives at most
    // EvdevReader::kMostRecordsPerRead records: what is left is taken at the next one.
    static constexpr std::size_t kMostNoticeBytesPerDispatch = 32 * 1024;

    // Opens the keyboards and mice of `folder` and watches it for more. Nothing, with a
    // description in `error`, when the folder cannot be watched.
    static std::unique_ptr<EvdevInputSource> Open(const std::string& folder,
                                                  EvdevDeviceScan::CapabilityQuery query,
                                                  std::string* error = nullptr);
    ~EvdevInputSource() override;
    EvdevInputSource(const EvdevInputSource&) = delete;
    EvdevInputSource& operator=(const EvdevInputSource&) = delete;

    int FileDescriptor() const override { return readiness_; }
    bool Dispatch(const InputHandler& onInput, const HotKeyHandler& onHotKey,
                  std::string* error = nullptr) override;
    bool RegisterHotKey(std::string* error = nullptr) override;
    void UnregisterHotKey() override { hotKeyOn_ = false; }
    KeyStatePort& KeyState() override { return keyState_; }

    // The mice's relative motion so far, for an EvdevPointer.
    std::shared_ptr<const RelativeMotion> Motion() const { return motion_; }
    // The paths of the devices read now, sorted.
    std::vector<std::string> DevicePaths() const;
    // The entries that could not be opened at the start, with why.
    const std::vector<std::string>& Refused() const { return refused_; }
    // What the user must be told at the start: entries were refused and no keyboard could be
    // opened, so keys would not be counted. Nothing when counting works.
    std::optional<std::string> AccessProblem() const;

private:
    struct Device {
        std::string path;
        EvdevDeviceScan::Kind kind;
        EvdevReader reader;
    };
    // A record waiting for the handlers: what was read goes here first, so that a handler
    // that dispatches again (a nested event loop) takes the next records in order.
    struct Waiting {
        RawInput input;
        bool hotKey = false;
    };

    EvdevInputSource(std::string folder, EvdevDeviceScan::CapabilityQuery query, int readiness,
                     int folderWatch);
    void Add(const EvdevDeviceScan::Device& device);
    void Drop(int fd);
    // `hungUp`: the descriptor reported an error or a hang-up.
    void ReadDevice(int fd, bool hungUp);
    void TakeFolderChanges();
    // Opens the folder's entry `name` unless it is open already or no device of ours.
    void OpenIfNew(const std::string& name);

    const std::string folder_;
    const EvdevDeviceScan::CapabilityQuery query_;
    const int readiness_;
    const int folderWatch_;
    std::map<int, std::unique_ptr<Device>> devices_;
    std::vector<std::string> refused_;
    std::deque<Waiting> waiting_;
    EvdevKeyState keyState_;
    std::shared_ptr<RelativeMotion> motion_ = std::make_shared<RelativeMotion>();
    bool hotKeyOn_ = false;
};
