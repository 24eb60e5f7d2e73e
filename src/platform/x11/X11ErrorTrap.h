#pragma once

#include <mutex>

struct _XDisplay;

// Catches the protocol errors of one connection's requests while it exists, where Xlib's
// default would end the process. Errors of other connections go to the handler installed
// before. Requests are answered asynchronously, so read the result with Sync.
class X11ErrorTrap {
public:
    // Waits for the connection's earlier requests first, so that their errors are not caught.
    explicit X11ErrorTrap(_XDisplay* display);
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // Waits until the server has handled every request so far; the error code of the first
    // one that failed since the trap was set (for example BadAccess), or 0.
    int Sync();

private:
    _XDisplay* display_;
    std::unique_lock<std::mutex> lock_;
};
