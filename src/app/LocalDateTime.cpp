#include "app/LocalDateTime.h"

#include <chrono>
#include <ctime>

LocalDateTime LocalDateTime::FromTime(std::int64_t secondsSince1970) {
    const std::time_t time = static_cast<std::time_t>(secondsSince1970);
    std::tm local{};
    if (::localtime_r(&time, &local) == nullptr) {
        // Outside what the C library can convert: the moment itself is the nearest answer.
        return {secondsSince1970};
    }
    using namespace std::chrono;
    const sys_days day{year{local.tm_year + 1900} / (local.tm_mon + 1) / local.tm_mday};
    return {day.time_since_epoch().count() * std::int64_t{86400} + local.tm_hour * 3600 +
            local.tm_min * 60 + local.tm_sec};
}
