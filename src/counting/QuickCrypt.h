#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class Clock;

// Source of the filler characters: by default the process's shared pseudo-random generator
// (std::srand / std::rand), which every encode re-seeds from the clock in whole seconds.
class FillerRandom {
public:
    virtual ~FillerRandom() = default;
    virtual void Seed(unsigned seed) = 0;
    virtual int Next() = 0;  // non-negative
};

// The keyless text encoding: three characters per byte ("a" + high nibble + offset,
// "a" + low nibble + offset, one random filler), the offset cycling with the position.
// Used for the unsent counters and for every form field sent to the server.
class CQuickCrypt {
public:
    void SetPlainText(std::string_view text) { plainText_ = text; }
    void SetEncodedText(std::string_view text) { encodedText_ = text; }

    // Encodes the plain text into the encoded text and returns a copy of it.
    std::string Encode();
    // The decoded form of the encoded text; the plain text is left as it is.
    std::string Decode() const;

    // Allocation-free forms: they overwrite `out`, reusing its capacity.
    static void EncodeInto(std::string_view plain, std::string& out);
    static void DecodeInto(std::string_view encoded, std::string& out);

    // Enciphered decimal counters. Reading takes the leading "%ld" number of the decoded
    // text (blanks, one sign, digits; no digits gives 0).
    static std::int32_t ReadCounter(std::string_view encoded);
    static void AddToCounter(std::string& encoded, std::int32_t n);
    static void ResetCounter(std::string& encoded);

    // Test seams; nullptr restores the system clock or the process generator.
    static void UseClock(const Clock* clock);
    static void UseRandom(FillerRandom* random);

private:
    std::string encodedText_;
    std::string plainText_;
};
