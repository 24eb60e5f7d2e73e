#include "counting/QuickCrypt.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "counting/SaturatingCount.h"
#include "ports/Clock.h"
#include "text/NumberText.h"

namespace {

// Only the first 62 characters are ever chosen (index = draw mod 62).
constexpr char kFillerTable[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kFillerChoices = 62;

class ProcessRandom final : public FillerRandom {
public:
    void Seed(unsigned seed) override { std::srand(seed); }
    int Next() override { return std::rand(); }
};

ProcessRandom processRandom;
FillerRandom* fillerRandom = &processRandom;
const Clock* seedClock = nullptr;

unsigned CurrentSecond() {
    const Clock& clock = seedClock != nullptr ? *seedClock : SystemClock::Instance();
    return static_cast<unsigned>(clock.Now());
}

unsigned char DecodeByte(std::string_view encoded, std::size_t i, int k) {
    const int offset = k % 10;
    const int x = static_cast<unsigned char>(encoded[i]);
    const int y = i + 1 < encoded.size() ? static_cast<unsigned char>(encoded[i + 1]) : 0;
    return static_cast<unsigned char>(((x - offset - 97) * 16 + (y - offset - 97)) & 0xFF);
}

bool IsBlank(unsigned char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

}  // namespace

std::string CQuickCrypt::Encode() {
    EncodeInto(plainText_, encodedText_);
    return encodedText_;
}

std::string CQuickCrypt::Decode() const {
    std::string result;
    DecodeInto(encodedText_, result);
    return result;
}

void CQuickCrypt::EncodeInto(std::string_view plain, std::string& out) {
    fillerRandom->Seed(CurrentSecond());
    out.clear();
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const auto b = static_cast<unsigned char>(plain[i]);
        const int c = static_cast<int>((i + 5) % 10);
        const int r = fillerRandom->Next();
        out.push_back(static_cast<char>('a' + (b >> 4) + c));
        out.push_back(static_cast<char>('a' + (b & 15) + c));
        out.push_back(kFillerTable[r % kFillerChoices]);
    }
}

void CQuickCrypt::DecodeInto(std::string_view encoded, std::string& out) {
    out.clear();
    int k = 5;
    for (std::size_t i = 0; i < encoded.size(); i += 3, ++k) {
        out.push_back(static_cast<char>(DecodeByte(encoded, i, k)));
    }
}

std::int32_t CQuickCrypt::ReadCounter(std::string_view encoded) {
    // Decodes byte by byte and stops at the end of the leading number, so even a long or
    // damaged stored text costs nothing to read.
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    std::size_t i = 0;
    int k = 5;
    auto next = [&]() -> int {
        if (i >= encoded.size()) {
            return -1;
        }
        const unsigned char byte = DecodeByte(encoded, i, k);
        i += 3;
        ++k;
        return byte;
    };
    int c = next();
    while (c >= 0 && IsBlank(static_cast<unsigned char>(c))) {
        c = next();
    }
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        c = next();
    }
    std::int64_t value = 0;
    while (c >= '0' && c <= '9') {
        // Saturate like strtol on a 32-bit long instead of overflowing.
        value = std::min(value * 10 + (c - '0'), kMax + 1);
        c = next();
    }
    value = negative ? -value : value;
    return static_cast<std::int32_t>(std::clamp(value, kMin, kMax));
}

void CQuickCrypt::AddToCounter(std::string& encoded, std::int32_t n) {
    EncodeInto(NumberText::Integer(SaturatingAdd(ReadCounter(encoded), n)), encoded);
}

void CQuickCrypt::ResetCounter(std::string& encoded) {
    EncodeInto("0", encoded);
}

void CQuickCrypt::UseClock(const Clock* clock) {
    seedClock = clock;
}

void CQuickCrypt::UseRandom(FillerRandom* random) {
    fillerRandom = random != nullptr ? random : &processRandom;
}
