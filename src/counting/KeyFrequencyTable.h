#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>

// Per-key keystroke tally and the display names of the keys. Key codes are Windows
// virtual-key codes after the left/right resolution of the modifiers.
class KeyFrequencyTable {
public:
    using Counts = std::unordered_map<std::int32_t, std::int32_t>;

    // Fills the name map with the 107 fixed names.
    void FillKeyNames();
    // Adds one to the code's count (a new code starts at 1) and returns the stored count.
    std::int32_t Increment(std::int32_t code);
    // The display name, or "Unknown".
    const std::string& KeyName(std::int32_t code) const;
    std::size_t Size() const { return counts_.size(); }
    // The (code, count) pairs in the map's own order, which is also the file's order.
    const Counts& Entries() const { return counts_; }
    void Clear() { counts_.clear(); }

    // keyfreq.bin: entry count N, then N pairs of code and count, all 32-bit little-endian.
    // Save replaces the file only once the new one is completely written; false when it
    // could not be written (the old file stays).
    bool Save(const std::filesystem::path& file) const;
    // False when the file cannot be read; the counts are then left as they are. A damaged
    // file loads the complete pairs it holds.
    bool Load(const std::filesystem::path& file);
    // Adds the file's counts to the table's (false when the file cannot be read): a tally
    // that was not loaded at start is carried on rather than lost.
    bool TakeIn(const std::filesystem::path& file);
    // True once the table was loaded from, taken in from or saved to a tally file: only then
    // may it replace a readable tally on disk.
    bool HoldsFileTally() const { return holdsFileTally_; }

    // The file's bytes, and their reading (false when not even N is there).
    std::string Serialize() const;
    bool Deserialize(std::string_view bytes);

    // The code the keypad Enter key's name is filed under; no key event produces it.
    static constexpr std::int32_t kKeypadEnterCode = 333333;

private:
    std::unordered_map<std::int32_t, std::string> names_;
    Counts counts_;
    mutable bool holdsFileTally_ = false;  // set by a successful Save too
};
