#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/x11/X11Connection.h"
#include "ports/PointerPort.h"

// The cursor, the logical pixels per inch and the remote-session test for the mouse sampler,
// on a connection of its own: Xlib connections are not shared between threads here, and the
// sampler reads the cursor on the mouse thread.
class X11Pointer final : public PointerPort {
public:
    // Connects to `displayName` (empty: $DISPLAY). Nothing, with a description in `error`,
    // when the server cannot be reached.
    static std::unique_ptr<X11Pointer> Open(const std::string& displayName = {},
                                            std::string* error = nullptr);

    // The "Xft.dpi" resource of the server's resource database, which desktops set to their
    // scaling, else 96 (the logical inch of an unscaled desktop); the same for both axes.
    void MeasurePixelsPerInch(std::int32_t& perInchX, std::int32_t& perInchY) override;
    // The position on the root window; false once the connection is lost.
    bool GetCursorPos(std::int32_t& x, std::int32_t& y) override;
    // Whether the display is reached over the network (an SSH-forwarded or remote X server) or
    // the session is an XRDP one (XRDP_SESSION is set): the cursor is then not the local mouse.
    bool IsRemoteSession() override { return remote_; }

    // Whether a display name ("host:0.0") names a server on another host. An empty host and
    // "unix" are local; "localhost" is remote, being what SSH forwards X through.
    static bool IsRemoteDisplayName(std::string_view displayName);
    // Logical pixels per inch from the text of a resource database ("Xft.dpi:\t144\n"); 96
    // when it holds no usable value.
    static std::int32_t PixelsPerInchFromResources(const std::string& resources);

private:
    X11Pointer(std::unique_ptr<X11Connection> connection, bool remote);

    std::unique_ptr<X11Connection> connection_;
    const bool remote_;
};
