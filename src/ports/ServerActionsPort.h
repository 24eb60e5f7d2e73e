#pragma once

// The server requests the scheduler starts. The program wires them to the skeld request and
// the version check.
class ServerActionsPort {
public:
    virtual ~ServerActionsPort() = default;
    // Runs a whole skeld exchange and returns when it is over (ending with EndSkeld), or
    // returns at once when a skeld is already in progress or there is nothing to send.
    virtual void BeginSkeld() = 0;
    // A version check that reports a newer version only in a tray balloon, through the proxy
    // when ProxyUse is set.
    virtual void CheckVersionSilently() = 0;
};
