#include "desktop/PeerStatistics.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "desktop/Interruption.h"

namespace {

using namespace std::chrono_literals;

// The "m" line holds the day's totals: "m 6" and six numbers, the fifth the clicks and the
// sixth the keystrokes.
constexpr std::size_t kClicks = 4;
constexpr std::size_t kKeystrokes = 5;

}  // namespace

PeerStatistics::PeerStatistics(const std::filesystem::path& home)
    : file_(home / ".workrave" / "todaystats") {}

std::optional<PeerStatistics::Counts> PeerStatistics::Read() const {
    std::ifstream in(file_);
    if (!in) {
        return Counts{};
    }
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string tag;
        std::size_t size = 0;
        if (!(words >> tag >> size) || tag != "m" || size <= kKeystrokes) {
            continue;
        }
        std::vector<long> values(size);
        for (long& value : values) {
            if (!(words >> value)) {
                return std::nullopt;
            }
        }
        return Counts{values[kKeystrokes], values[kClicks]};
    }
    return std::nullopt;
}

std::filesystem::file_time_type PeerStatistics::Now() const {
    return std::filesystem::file_time_type::clock::now();
}

bool PeerStatistics::WaitForWriteAfter(std::filesystem::file_time_type since) const {
    for (const auto end = std::chrono::steady_clock::now() + 90s;
         std::chrono::steady_clock::now() < end;) {
        std::error_code error;
        const auto written = std::filesystem::last_write_time(file_, error);
        if (!error && written > since) {
            return true;
        }
        if (!SleepFor(500ms)) {
            return false;
        }
    }
    return false;
}
