#pragma once

#include <linux/input.h>

// One kernel input record as a device sends it; the time is left at zero, as the readers
// ignore it.
inline input_event InputEvent(unsigned short type, unsigned short code, int value) {
    input_event event{};
    event.type = type;
    event.code = code;
    event.value = value;
    return event;
}
