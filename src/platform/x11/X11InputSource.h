#pragma once

#include <memory>
#include <string>

#include "platform/x11/X11Connection.h"
#include "platform/x11/X11HotKey.h"
#include "platform/x11/X11Keyboard.h"
#include "ports/InputSource.h"

// Keyboard and mouse-button input of the whole X desktop from XInput 2.2 raw events, on a
// connection of its own. Raw events come whichever window has the focus, also while another
// program grabs the keyboard, and include synthetic (XTEST) input. They are selected for the
// master devices only: selecting every device would deliver each event twice, once from the
// physical device and once from the master it drives.
//
// The hot key has a connection of its own too (see X11HotKey), opened when it is first
// registered. FileDescriptor is an epoll descriptor that is readable while either connection
// is, so the event loop watches one descriptor.
class X11InputSource final : public InputSource {
public:
    // Connects to `displayName` (empty: $DISPLAY) and starts listening. Nothing, with a
    // description in `error`, when the server cannot be reached or cannot deliver raw events.
    static std::unique_ptr<X11InputSource> Open(const std::string& displayName = {},
                                                std::string* error = nullptr);
    ~X11InputSource() override;
    X11InputSource(const X11InputSource&) = delete;
    X11InputSource& operator=(const X11InputSource&) = delete;

    int FileDescriptor() const override { return readiness_; }
    bool Dispatch(const InputHandler& onInput, const HotKeyHandler& onHotKey,
                  std::string* error = nullptr) override;
    void CatchUp() override;
    bool RegisterHotKey(std::string* error = nullptr) override;
    void UnregisterHotKey() override;
    KeyStatePort& KeyState() override { return keyboard_; }

private:
    X11InputSource(std::unique_ptr<X11Connection> connection, int readiness, int inputOpcode,
                   int keyboardEventType);
    // Handles the raw-input connection's waiting events; true when there was any.
    bool DispatchInput(const InputHandler& onInput);
    bool ReportLost(std::string* error) const;

    std::unique_ptr<X11Connection> connection_;
    const int readiness_;
    const int inputOpcode_;
    const int keyboardEventType_;
    X11Keyboard keyboard_;
    std::unique_ptr<X11HotKey> hotKey_;
};
