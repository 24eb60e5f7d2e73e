#include "ports/Clock.h"

#include <ctime>

std::int64_t SystemClock::Now() const {
    return static_cast<std::int64_t>(std::time(nullptr));
}

const SystemClock& SystemClock::Instance() {
    static const SystemClock clock;
    return clock;
}
