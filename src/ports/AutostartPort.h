#pragma once

// The system's list of programs started at log-in, as far as it concerns this program.
class AutostartPort {
public:
    virtual ~AutostartPort() = default;

    // Registers the running program, at its current path, to start at log-in. False when the
    // entry could not be stored.
    virtual bool WriteEntry() = 0;
    // Removes the registration; a missing entry or a failure is ignored.
    virtual void RemoveEntry() = 0;
};
