#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "counting/AppRecord.h"
#include "counting/KeyFrequencyTable.h"

// What save number n of the kill torture writes. Every file carries n in several fields that
// must agree, and texts whose length changes with n, so a torn or mixed file cannot pass for a
// complete one.
namespace KillTortureSave {

inline std::string TokenOf(std::int32_t n) {
    return "tok-" + std::string(static_cast<std::size_t>(n % 37), 'x') + std::to_string(n);
}

inline AppRecord RecordOf(std::int32_t n, bool portable) {
    AppRecord record;
    record.Prefs.PortableMode = portable;
    record.Prefs.ApplyNewAccountValues();
    record.Account.UserName = "torture";
    record.Account.ComputerName = "bench";
    record.Account.Password = "secret";
    record.Account.Token = TokenOf(n);
    record.Account.AddUnsentKeys(n);
    record.Account.AddUnsentClicks(3 * n);
    record.Account.UnsentMetres = 0.5 * n;
    // Settings.
    record.Account.TotalKeys = n;
    record.Account.TotalClicks = 3 * n;
    record.Account.KeysSinceLastReset = n;
    record.Prefs.SkeldEvery = n % 1000 + 1;
    return record;
}

// The tally: 'A' counted n times, 'B' 2n times, and n % 5 further keys once each.
inline KeyFrequencyTable::Counts TallyOf(std::int32_t n) {
    KeyFrequencyTable::Counts counts{{'A', n}, {'B', 2 * n}};
    for (std::int32_t i = 0; i < n % 5; ++i) {
        counts['0' + i] = 1;
    }
    return counts;
}

// keyfreq.bin as save n writes it.
inline std::string TallyBytes(std::int32_t n) {
    std::string bytes;
    auto append = [&](std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(static_cast<char>((value >> shift) & 0xFF));
        }
    };
    const KeyFrequencyTable::Counts counts = TallyOf(n);
    append(static_cast<std::uint32_t>(counts.size()));
    for (const auto& [code, count] : counts) {
        append(static_cast<std::uint32_t>(code));
        append(static_cast<std::uint32_t>(count));
    }
    return bytes;
}

// The n a loaded record's settings stem from, or nothing when they do not fit one save.
inline std::optional<std::int32_t> SettingsSave(const AppRecord& record) {
    const std::int32_t n = record.Account.TotalKeys;
    const bool whole = record.Account.TotalClicks == 3 * n &&
                       record.Account.KeysSinceLastReset == n &&
                       record.Prefs.SkeldEvery == n % 1000 + 1;
    return whole ? std::optional(n) : std::nullopt;
}

// The n a loaded account's state file fields stem from, or nothing.
inline std::optional<std::int32_t> StateSave(const AccountState& account) {
    const std::int32_t n = account.GetUnsentKeys();
    const bool whole = account.GetUnsentClicks() == 3 * n && account.UnsentMetres == 0.5 * n &&
                       account.Token == TokenOf(n) && account.UserName == "torture" &&
                       account.Password == "secret";
    return whole ? std::optional(n) : std::nullopt;
}

// The n a tally stems from, or nothing.
inline std::optional<std::int32_t> TallySave(const KeyFrequencyTable::Counts& counts) {
    const auto a = counts.find('A');
    if (a == counts.end() || counts != TallyOf(a->second)) {
        return std::nullopt;
    }
    return a->second;
}

}  // namespace KillTortureSave
