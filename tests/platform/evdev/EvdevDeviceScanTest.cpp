#include "platform/evdev/EvdevDeviceScan.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "support/TempFolder.h"

namespace {

// The test's devices say what they are in their first byte: k keyboard, m mouse, b both,
// anything else neither. Their names say nothing, as with real devices.
EvdevDeviceScan::Kind FirstByteKind(int fd) {
    char kind = 0;
    EvdevDeviceScan::Kind result;
    if (::pread(fd, &kind, 1, 0) == 1) {
        result.keyboard = kind == 'k' || kind == 'b';
        result.mouse = kind == 'm' || kind == 'b';
    }
    return result;
}

void MakeEntry(const TempFolder& folder, const std::string& name, const std::string& kind) {
    std::ofstream(folder.Path() / name) << kind;
}

TEST(EvdevDeviceScanTest, KeepsKeyboardsAndMiceByCapabilityNotByName) {
    TempFolder folder;
    MakeEntry(folder, "event0", "n");  // power button
    MakeEntry(folder, "event1", "k");
    MakeEntry(folder, "event2", "m");
    MakeEntry(folder, "event10", "b");
    MakeEntry(folder, "mouse0", "m");  // the old mouse interface, not an event device
    const auto result = EvdevDeviceScan::Scan(folder.Path().string(), FirstByteKind);
    ASSERT_EQ(result.devices.size(), 3u);
    EXPECT_TRUE(result.refused.empty());
    std::vector<std::string> names;
    for (const auto& device : result.devices) {
        names.push_back(std::filesystem::path(device.path).filename().string());
        ::close(device.fd);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"event1", "event10", "event2"}));
    EXPECT_TRUE(result.devices[1].kind.keyboard && result.devices[1].kind.mouse);
}

TEST(EvdevDeviceScanTest, EntriesThatCannotBeOpenedAreReported) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root opens any entry, so a refusal cannot be shown";
    }
    TempFolder folder;
    MakeEntry(folder, "event0", "k");
    ::chmod((folder.Path() / "event0").c_str(), 0);
    const auto result = EvdevDeviceScan::Scan(folder.Path().string(), FirstByteKind);
    EXPECT_TRUE(result.devices.empty());
    ASSERT_EQ(result.refused.size(), 1u);
    EXPECT_NE(result.refused[0].find("Permission denied"), std::string::npos);
}

TEST(EvdevDeviceScanTest, AnEntryGoneBeforeItIsOpenedIsNoFailure) {
    TempFolder folder;
    MakeEntry(folder, "event1", "k");
    std::filesystem::create_symlink(folder.Path() / "unplugged", folder.Path() / "event0");
    const auto result = EvdevDeviceScan::Scan(folder.Path().string(), FirstByteKind);
    ASSERT_EQ(result.devices.size(), 1u);
    ::close(result.devices[0].fd);
    EXPECT_TRUE(result.refused.empty());
}

TEST(EvdevDeviceScanTest, AMissingFolderFindsNothing) {
    TempFolder folder;
    const auto result = EvdevDeviceScan::Scan((folder.Path() / "absent").string(), FirstByteKind);
    EXPECT_TRUE(result.devices.empty());
    EXPECT_TRUE(result.refused.empty());
}

}  // namespace
