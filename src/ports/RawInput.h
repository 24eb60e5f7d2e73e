#pragma once

#include <cstdint>

// One raw input event in the layout the counting code reads, whatever platform produced it.
struct RawInput {
    struct Header {
        std::uint32_t dwType = 0;
    };
    struct Keyboard {
        std::uint16_t VKey = 0;
        std::uint32_t Message = 0;
    };
    struct Mouse {
        std::uint16_t usButtonFlags = 0;
    };

    Header header;
    Keyboard keyboard;  // when header.dwType is kTypeKeyboard
    Mouse mouse;        // when header.dwType is kTypeMouse

    static constexpr std::uint32_t kTypeMouse = 0;
    static constexpr std::uint32_t kTypeKeyboard = 1;

    static constexpr std::uint32_t kKeyDown = 0x0100;
    static constexpr std::uint32_t kKeyUp = 0x0101;
    static constexpr std::uint32_t kSysKeyDown = 0x0104;
    static constexpr std::uint32_t kSysKeyUp = 0x0105;

    // Button transition bits: buttons 1 to 5, down and up.
    static constexpr std::uint16_t kButton1Down = 0x0001;
    static constexpr std::uint16_t kButton1Up = 0x0002;
    static constexpr std::uint16_t kButton2Down = 0x0004;
    static constexpr std::uint16_t kButton2Up = 0x0008;
    static constexpr std::uint16_t kButton3Down = 0x0010;
    static constexpr std::uint16_t kButton3Up = 0x0020;
    static constexpr std::uint16_t kButton4Down = 0x0040;
    static constexpr std::uint16_t kButton4Up = 0x0080;
    static constexpr std::uint16_t kButton5Down = 0x0100;
    static constexpr std::uint16_t kButton5Up = 0x0200;

    static RawInput Key(std::uint16_t virtualKey, std::uint32_t message) {
        RawInput input;
        input.header.dwType = kTypeKeyboard;
        input.keyboard = {virtualKey, message};
        return input;
    }
    static RawInput Buttons(std::uint16_t buttonFlags) {
        RawInput input;
        input.header.dwType = kTypeMouse;
        input.mouse.usButtonFlags = buttonFlags;
        return input;
    }
};
