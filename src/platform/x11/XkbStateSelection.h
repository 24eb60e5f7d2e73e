#pragma once

struct _XDisplay;

// Narrows which XKB state changes a connection is told of. A toolkit that follows the keyboard
// state usually asks for every part of it, and the server then sends a StateNotify to that
// connection for every pointer-button press and release anywhere on the desktop, although
// only the modifiers and the keyboard group matter for typing into its own windows.
class XkbStateSelection {
public:
    // The parts a keyboard needs to turn key codes into text: the base, latched and locked
    // modifiers and groups (the effective ones follow from them).
    static constexpr unsigned long kTypingParts =
        (1UL << 1) | (1UL << 2) | (1UL << 3) | (1UL << 5) | (1UL << 6) | (1UL << 7);

    // Keeps the connection's StateNotify selection on the core keyboard to kTypingParts, leaving
    // its other XKB selections as they are. Call it after the toolkit made its own selection.
    // False when the server has no XKB or the request could not be sent.
    static bool KeepTypingPartsOnly(_XDisplay* display);
};
