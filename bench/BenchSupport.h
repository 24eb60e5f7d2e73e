#pragma once

// What the persistence benchmarks share: a temporary folder and a realistic record.
#include <cstdlib>
#include <filesystem>
#include <string>

#include "counting/AppRecord.h"

namespace bench {

class BenchFolder {
public:
    BenchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kestrovin-bench-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~BenchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;
    std::filesystem::path operator/(const char* name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// A record as a user who has used the program for a while has it.
inline AppRecord RealisticRecord(bool portable) {
    AppRecord record;
    record.Prefs.ApplyNewAccountValues();
    record.Prefs.PortableMode = portable;
    record.Account.TotalKeys = 12'345'678;
    record.Account.TotalClicks = 2'345'678;
    record.Account.TotalMiles = 1234.567;
    record.Account.UserID = 4711;
    record.Account.Email = "someone@example.org";
    record.Account.Rank = 321;
    record.Prefs.SkeldEvery = 1000;
    record.Prefs.ProxyHost = "proxy.example.org";
    return record;
}

}  // namespace bench
