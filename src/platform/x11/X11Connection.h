#pragma once

#include <atomic>
#include <memory>
#include <string>

struct _XDisplay;

// A connection of our own to the X server. When the server goes away Xlib would end the
// process; on these connections the loss is recorded instead (Lost) and every later request
// fails harmlessly until the connection is closed.
//
// The recording relies on a process-wide Xlib handler that passes the losses of other
// connections on to the handler installed before it. A toolkit that installs its own handler
// later takes that over, so open these connections after the toolkit's (after QApplication).
class X11Connection {
public:
    // Opens `displayName`, or $DISPLAY when it is empty. Nothing, with a description in
    // `error`, when the server cannot be reached.
    static std::unique_ptr<X11Connection> Open(const std::string& displayName,
                                               std::string* error = nullptr);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    _XDisplay* Get() const { return display_; }
    bool Lost() const { return lost_; }
    // The display name as used, for example ":0".
    const std::string& Name() const { return name_; }

private:
    X11Connection(_XDisplay* display, std::string name);
    static void OnLost(_XDisplay* display, void* connection);

    _XDisplay* display_;
    std::string name_;
    std::atomic<bool> lost_ = false;
};
