#pragma once

#include <cstddef>
#include <optional>
#include <string>

// Unguessable texts from the operating system's random source: tokens, image names,
// confirmation codes and salts.
class RandomToken {
public:
    // 2 * bytes lower-case hexadecimal digits; nothing when no random bytes could be had.
    static std::optional<std::string> Hex(std::size_t bytes);
};
