#pragma once

// Asks for a skeld; the scheduler decides whether one actually starts. A manual request
// restarts the hours interval only when RetimeFromManualSkeld is set.
class SkeldRequestPort {
public:
    virtual ~SkeldRequestPort() = default;
    virtual void RequestSkeld(bool manual) = 0;
};
