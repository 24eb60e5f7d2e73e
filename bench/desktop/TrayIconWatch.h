#pragma once

#include <sys/types.h>

#include <map>
#include <string>

struct _XDisplay;

// Looks, on a connection of its own, for a process's tray icon as a person would see it: a
// window of that process (_NET_WM_PID) that is viewable, docked in the tray, and painted,
// that is, showing more than one colour.
class TrayIconWatch {
public:
    explicit TrayIconWatch(const std::string& displayName);
    ~TrayIconWatch();
    TrayIconWatch(const TrayIconWatch&) = delete;
    TrayIconWatch& operator=(const TrayIconWatch&) = delete;

    bool Connected() const { return display_ != nullptr; }
    bool IconShown(pid_t pid);
    // Window ids come back with later clients: forget what was learnt about the earlier ones.
    void Forget() { pids_.clear(); }

private:
    bool Search(unsigned long window, pid_t pid);
    pid_t PidOf(unsigned long window);
    bool ShowsPicture(unsigned long window);

    _XDisplay* display_ = nullptr;
    unsigned long pidAtom_ = 0;
    // Windows keep their process: asked once each, so polling costs the X server little.
    std::map<unsigned long, pid_t> pids_;
};
