#pragma once

// The main window's end-of-skeld step, which every outcome of a skeld performs after any
// message box of the outcome has been closed: refresh the tooltip, show the normal tray icon,
// let the tray icon react to the mouse again and clear SkeldInProgress.
class SkeldEndPort {
public:
    virtual ~SkeldEndPort() = default;
    virtual void EndSkeld() = 0;
};
