#include "platform/evdev/EvdevKeyState.h"

void EvdevKeyState::Apply(const RawInput& input) {
    if (input.header.dwType != RawInput::kTypeKeyboard || input.keyboard.VKey >= held_.size()) {
        return;
    }
    held_[input.keyboard.VKey] = input.keyboard.Message == RawInput::kKeyDown;
}

bool EvdevKeyState::IsKeyDown(std::uint16_t virtualKey) {
    switch (virtualKey) {
        case 0x10:
            return held_[0xA0] || held_[0xA1];
        case 0x11:
            return held_[0xA2] || held_[0xA3];
        case 0x12:
            return held_[0xA4] || held_[0xA5];
        default:
            return virtualKey < held_.size() && held_[virtualKey];
    }
}
