#pragma once

#include <cstdlib>

// A property every input must keep: a broken one stops the fuzzer with the input that broke it.
inline void Check(bool condition) {
    if (!condition) {
        std::abort();
    }
}
