#include "platform/evdev/EvdevInputSource.h"

#include <linux/input.h>
#include <sys/epoll.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>

#include "platform/InputBackendChoice.h"

namespace {

// A node appears (created, or moved in by udev) and may become readable for us only when udev
// has set its group a moment later (attributes).
constexpr std::uint32_t kFolderChanges = IN_CREATE | IN_MOVED_TO | IN_ATTRIB;

bool Watch(int readiness, int descriptor) {
    epoll_event event = {};
    event.events = EPOLLIN;
    event.data.fd = descriptor;
    return ::epoll_ctl(readiness, EPOLL_CTL_ADD, descriptor, &event) == 0;
}

// The NumLock light of a keyboard as it is now; later changes come in its stream. Off for
// anything that has no lights.
bool NumLockLight(int fd) {
    unsigned long lights[(LED_MAX + 1 + CHAR_BIT * sizeof(unsigned long) - 1) /
                         (CHAR_BIT * sizeof(unsigned long))] = {};
    if (::ioctl(fd, EVIOCGLED(sizeof lights), lights) < 0) {
        return false;
    }
    return (lights[0] >> LED_NUML) & 1UL;
}

}  // namespace

std::unique_ptr<EvdevInputSource> EvdevInputSource::Open(const std::string& folder,
                                                         EvdevDeviceScan::CapabilityQuery query,
                                                         std::string* error) {
    const int readiness = ::epoll_create1(EPOLL_CLOEXEC);
    const int folderWatch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    // Watched before the scan, so that a device plugged in meanwhile is not missed.
    if (readiness < 0 || folderWatch < 0 ||
        ::inotify_add_watch(folderWatch, folder.c_str(), kFolderChanges) < 0 ||
        !Watch(readiness, folderWatch)) {
        if (error != nullptr) {
            *error = "Cannot watch the input devices in " + folder + ": " + std::strerror(errno) +
                     ". Kestrovin cannot count input.";
        }
        if (folderWatch >= 0) {
            ::close(folderWatch);
        }
        if (readiness >= 0) {
            ::close(readiness);
        }
        return nullptr;
    }
    std::unique_ptr<EvdevInputSource> source(
        new EvdevInputSource(folder, std::move(query), readiness, folderWatch));
    EvdevDeviceScan::Result found = EvdevDeviceScan::Scan(folder, source->query_);
    for (const EvdevDeviceScan::Device& device : found.devices) {
        source->Add(device);
    }
    source->refused_ = std::move(found.refused);
    return source;
}

EvdevInputSource::EvdevInputSource(std::string folder, EvdevDeviceScan::CapabilityQuery query,
                                   int readiness, int folderWatch)
    : folder_(std::move(folder)),
      query_(std::move(query)),
      readiness_(readiness),
      folderWatch_(folderWatch) {}

EvdevInputSource::~EvdevInputSource() {
    for (const auto& [fd, device] : devices_) {
        ::close(fd);
    }
    ::close(folderWatch_);
    ::close(readiness_);
}

void EvdevInputSource::Add(const EvdevDeviceScan::Device& device) {
    if (!Watch(readiness_, device.fd)) {
        ::close(device.fd);
        return;
    }
    devices_[device.fd] = std::make_unique<Device>(
        Device{device.path, device.kind, EvdevReader(device.fd, NumLockLight(device.fd))});
}

void EvdevInputSource::Drop(int fd) {
    ::epoll_ctl(readiness_, EPOLL_CTL_DEL, fd, nullptr);
    ::close(fd);
    devices_.erase(fd);
}

bool EvdevInputSource::Dispatch(const InputHandler& onInput, const HotKeyHandler& onHotKey,
                                std::string* /*error*/) {
    epoll_event ready[32];
    const int count = ::epoll_wait(readiness_, ready, 32, 0);
    bool folderChanged = false;
    // The devices first: one unplugged is read to its end before a new node of the same name
    // is looked at.
    for (int i = 0; i < count; ++i) {
        if (ready[i].data.fd == folderWatch_) {
            folderChanged = true;
        } else {
            ReadDevice(ready[i].data.fd, (ready[i].events & (EPOLLERR | EPOLLHUP)) != 0);
        }
    }
    if (folderChanged) {
        TakeFolderChanges();
    }
    while (!waiting_.empty()) {
        const Waiting next = waiting_.front();
        waiting_.pop_front();
        if (next.hotKey) {
            if (onHotKey) {
                onHotKey(kHotKeyId);
            }
        } else {
            keyState_.Apply(next.input);
            if (onInput) {
                onInput(next.input);
            }
        }
    }
    // Devices come and go; the source itself does not stop.
    return true;
}

void EvdevInputSource::ReadDevice(int fd, bool hungUp) {
    const auto found = devices_.find(fd);
    if (found == devices_.end()) {
        return;
    }
    Device& device = *found->second;
    const EvdevReader::State state = device.reader.Read(
        [this](const RawInput& input) {
            waiting_.push_back({input, false});
        },
        [this] {
            if (hotKeyOn_) {
                waiting_.push_back({RawInput(), true});
            }
        });
    long dx = 0;
    long dy = 0;
    device.reader.TakeMotion(&dx, &dy);
    if (dx != 0 || dy != 0) {
        motion_->Add(dx, dy);
    }
    // Unplugged, or failing for another reason: either way nothing more will come from it. A
    // descriptor hung up with nothing left to read would otherwise stay ready for ever.
    if (state != EvdevReader::State::Open || hungUp) {
        Drop(fd);
    }
}

void EvdevInputSource::TakeFolderChanges() {
    alignas(inotify_event) char buffer[4096];
    for (std::size_t taken = 0; taken < kMostNoticeBytesPerDispatch;) {
        const ssize_t got = ::read(folderWatch_, buffer, sizeof buffer);
        if (got <= 0) {
            return;  // EAGAIN: all taken
        }
        taken += static_cast<std::size_t>(got);
        for (ssize_t at = 0; at < got;) {
            const auto* change = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + change->len);
            if ((change->mask & IN_Q_OVERFLOW) != 0) {
                // Notices were lost: look at every entry again.
                std::error_code ignored;
                for (const auto& entry : std::filesystem::directory_iterator(folder_, ignored)) {
                    OpenIfNew(entry.path().filename().string());
                }
            } else if (change->len > 0) {
                OpenIfNew(change->name);
            }
        }
    }
}

void EvdevInputSource::OpenIfNew(const std::string& name) {
    if (!name.starts_with("event")) {
        return;
    }
    const std::string path = folder_ + "/" + name;
    for (const auto& [fd, device] : devices_) {
        if (device->path == path) {
            return;
        }
    }
    EvdevDeviceScan::Device device;
    if (EvdevDeviceScan::Open(path, query_, &device, nullptr)) {
        Add(device);
    }
}

bool EvdevInputSource::RegisterHotKey(std::string* /*error*/) {
    hotKeyOn_ = true;
    return true;
}

std::vector<std::string> EvdevInputSource::DevicePaths() const {
    std::vector<std::string> paths;
    for (const auto& [fd, device] : devices_) {
        paths.push_back(device->path);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::optional<std::string> EvdevInputSource::AccessProblem() const {
    if (refused_.empty()) {
        return std::nullopt;
    }
    for (const auto& [fd, device] : devices_) {
        if (device->kind.keyboard) {
            return std::nullopt;
        }
    }
    return EvdevAccessRefusedText(refused_.front());
}
