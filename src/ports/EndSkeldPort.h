#pragma once

// The end-of-skeld step, which every outcome of a skeld exchange performs last: the tooltip
// shows the current counts again, the icon is the normal one, the tray reacts to the mouse
// again and another skeld may start.
class EndSkeldPort {
public:
    virtual ~EndSkeldPort() = default;
    virtual void EndSkeld() = 0;
};
