#pragma once

#include <filesystem>
#include <optional>

// What the peer program (Workrave, a break reminder that also counts keys and clicks for its
// statistics) has counted today, from the statistics file in its home. It writes the file once
// a minute while it runs, and not when it ends, so the harness waits for a write that
// follows the load.
class PeerStatistics {
public:
    struct Counts {
        long Keys = 0;
        long Clicks = 0;
    };

    explicit PeerStatistics(const std::filesystem::path& home);

    // Nothing yet counted today when the file is not there.
    std::optional<Counts> Read() const;
    // Until the file has been written after `since` (at most 90 s); false when it was not.
    bool WaitForWriteAfter(std::filesystem::file_time_type since) const;
    std::filesystem::file_time_type Now() const;

private:
    std::filesystem::path file_;
};
