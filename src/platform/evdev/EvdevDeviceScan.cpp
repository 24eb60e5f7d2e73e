#include "platform/evdev/EvdevDeviceScan.h"

#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>

namespace {

constexpr std::size_t kLongBits = sizeof(unsigned long) * CHAR_BIT;

template <std::size_t Bits>
struct BitSet {
    unsigned long words[(Bits + kLongBits - 1) / kLongBits] = {};
    bool Has(unsigned bit) const { return (words[bit / kLongBits] >> (bit % kLongBits)) & 1UL; }
};

}  // namespace

EvdevDeviceScan::Kind EvdevDeviceScan::KernelCapabilities(int fd) {
    BitSet<EV_MAX + 1> types;
    BitSet<KEY_MAX + 1> keys;
    BitSet<REL_MAX + 1> relative;
    Kind kind;
    if (::ioctl(fd, EVIOCGBIT(0, sizeof types.words), types.words) < 0) {
        return kind;
    }
    if (types.Has(EV_KEY)) {
        ::ioctl(fd, EVIOCGBIT(EV_KEY, sizeof keys.words), keys.words);
    }
    if (types.Has(EV_REL)) {
        ::ioctl(fd, EVIOCGBIT(EV_REL, sizeof relative.words), relative.words);
    }
    kind.keyboard = keys.Has(KEY_A) && keys.Has(KEY_Z) && keys.Has(KEY_SPACE);
    kind.mouse = relative.Has(REL_X) && relative.Has(REL_Y) && keys.Has(BTN_LEFT);
    return kind;
}

bool EvdevDeviceScan::Open(const std::string& path, const CapabilityQuery& query, Device* device,
                           std::string* refused) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // One unplugged between the listing and now is simply gone.
        if (refused && errno != ENOENT && errno != ENODEV) {
            *refused = path + ": " + std::strerror(errno);
        }
        return false;
    }
    const Kind kind = query(fd);
    if (!kind.keyboard && !kind.mouse) {
        ::close(fd);
        return false;
    }
    *device = {path, fd, kind};
    return true;
}

EvdevDeviceScan::Result EvdevDeviceScan::Scan(const std::string& folder,
                                              const CapabilityQuery& query) {
    std::vector<std::string> paths;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (entry.path().filename().string().rfind("event", 0) == 0) {
            paths.push_back(entry.path().string());
        }
    }
    std::sort(paths.begin(), paths.end());
    Result result;
    for (const std::string& path : paths) {
        Device device;
        std::string refused;
        if (Open(path, query, &device, &refused)) {
            result.devices.push_back(device);
        } else if (!refused.empty()) {
            result.refused.push_back(refused);
        }
    }
    return result;
}
