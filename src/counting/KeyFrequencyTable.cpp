#include "counting/KeyFrequencyTable.h"

#include <algorithm>
#include <cstdio>

#include "counting/SaturatingCount.h"
#include "files/FileIo.h"

namespace {

struct NamedKey {
    std::int32_t code;
    const char* name;
};

// The keys with a fixed name besides digits, letters, F1-F15 and the keypad digits.
constexpr NamedKey kNamedKeys[] = {
    {0x1B, "Esc"},         {0x08, "Backspace"},
    {0x09, "Tab"},         {0x0D, "Enter"},
    {0x20, "Space"},       {0x14, "Caps Lock"},
    {0xBB, "+"},           {0xBD, "-"},
    {0xDB, "["},           {0xDD, "]"},
    {0xBA, ";"},           {0xDE, "'"},
    {0xDC, "\\"},          {0xBC, ","},
    {0xBE, "."},           {0xBF, "/"},
    {0xC0, "`"},           {0x2C, "Print screen"},
    {0x91, "Scroll lock"}, {0x13, "Pause"},
    {0xA3, "Right ctrl"},  {0xA2, "Left ctrl"},
    {0xA5, "Right alt"},   {0xA4, "Left alt"},
    {0xA1, "Right shift"}, {0xA0, "Left shift"},
    {0x90, "Numlock"},     {0x5D, "Menu"},
    {0x6A, "Keypad: *"},   {0x6F, "Keypad: /"},
    {0x6D, "Keypad: -"},   {0x6B, "Keypad: +"},
    {0x6E, "Keypad: ."},   {KeyFrequencyTable::kKeypadEnterCode, "Keypad Enter"},
    {0x2D, "Insert"},      {0x24, "Home"},
    {0x21, "PageUp"},      {0x2E, "Delete"},
    {0x23, "End"},         {0x22, "PageDown"},
    {0x25, "Left"},        {0x26, "Up"},
    {0x27, "Right"},       {0x28, "Down"},
    {0x5B, "Left Winkey"}, {0x5C, "Right Winkey"},
};

void AppendLittleEndian(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<char>((value >> shift) & 0xFF));
    }
}

std::uint32_t ReadLittleEndian(std::string_view bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value =
            (value << 8) | static_cast<unsigned char>(bytes[offset + static_cast<std::size_t>(i)]);
    }
    return value;
}

}  // namespace

void KeyFrequencyTable::FillKeyNames() {
    for (char c = '0'; c <= '9'; ++c) {
        names_[c] = std::string(1, c);
    }
    for (char c = 'A'; c <= 'Z'; ++c) {
        names_[c] = std::string(1, c);
    }
    char name[16];
    for (int i = 0; i < 15; ++i) {
        std::snprintf(name, sizeof name, "F%d", i + 1);
        names_[0x70 + i] = name;
    }
    for (int i = 0; i < 10; ++i) {
        std::snprintf(name, sizeof name, "Keypad: %d", i);
        names_[0x60 + i] = name;
    }
    for (const NamedKey& key : kNamedKeys) {
        names_[key.code] = key.name;
    }
}

std::int32_t KeyFrequencyTable::Increment(std::int32_t code) {
    std::int32_t& count = counts_[code];
    CountOne(count);
    return count;
}

const std::string& KeyFrequencyTable::KeyName(std::int32_t code) const {
    static const std::string unknown = "Unknown";
    const auto found = names_.find(code);
    return found != names_.end() ? found->second : unknown;
}

std::string KeyFrequencyTable::Serialize() const {
    std::string bytes;
    bytes.reserve(4 + 8 * counts_.size());
    AppendLittleEndian(bytes, static_cast<std::uint32_t>(counts_.size()));
    for (const auto& [code, count] : counts_) {
        AppendLittleEndian(bytes, static_cast<std::uint32_t>(code));
        AppendLittleEndian(bytes, static_cast<std::uint32_t>(count));
    }
    return bytes;
}

bool KeyFrequencyTable::Deserialize(std::string_view bytes) {
    if (bytes.size() < 4) {
        return false;
    }
    // N is only believed as far as the bytes go: a damaged count must not make us loop or
    // allocate for entries that are not there.
    const std::size_t announced = ReadLittleEndian(bytes, 0);
    const std::size_t present = std::min(announced, (bytes.size() - 4) / 8);
    counts_.clear();
    for (std::size_t i = 0; i < present; ++i) {
        const auto code = static_cast<std::int32_t>(ReadLittleEndian(bytes, 4 + 8 * i));
        const auto count = static_cast<std::int32_t>(ReadLittleEndian(bytes, 8 + 8 * i));
        counts_[code] = count;
    }
    return true;
}

bool KeyFrequencyTable::Save(const std::filesystem::path& file) const {
    if (!WriteFileAtomically(file, Serialize(), 0644)) {
        return false;
    }
    holdsFileTally_ = true;
    return true;
}

bool KeyFrequencyTable::Load(const std::filesystem::path& file) {
    const std::optional<std::string> bytes = ReadWholeFile(file);
    if (!bytes || !Deserialize(*bytes)) {
        return false;
    }
    holdsFileTally_ = true;
    return true;
}

bool KeyFrequencyTable::TakeIn(const std::filesystem::path& file) {
    KeyFrequencyTable stored;
    if (!stored.Load(file)) {
        return false;
    }
    for (const auto& [code, count] : stored.counts_) {
        std::int32_t& sum = counts_[code];
        sum = SaturatingAdd(sum, count);
    }
    holdsFileTally_ = true;
    return true;
}
