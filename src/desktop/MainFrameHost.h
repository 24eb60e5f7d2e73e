#pragma once

#include "counting/AppRecord.h"
#include "counting/KeyFrequencyTable.h"

class AppPersistence;
class DataFolder;
class Logs;
class UserPort;

// What the main frame needs of the application that owns it: the record and tally it counts
// into, whether the Geek Window is open, its files and logs, the user, and the two ways
// the record leaves for the disk.
class MainFrameHost {
public:
    AppRecord Record;
    KeyFrequencyTable Frequencies;
    int LoggedOff = 0;
    // Set while the Geek Window is open, so the tray opens only one.
    bool GeekWindowOpen = false;

    virtual const AppPersistence& Persistence() const = 0;
    virtual const Logs& Log() const = 0;
    virtual const DataFolder& Folder() const = 0;
    virtual UserPort& User() = 0;
    virtual void SaveAll() = 0;
    // Logging off: delete the state file and its backup, then close without saving again.
    virtual void DiscardStateAndClose() = 0;

protected:
    MainFrameHost() = default;
    ~MainFrameHost() = default;
    MainFrameHost(const MainFrameHost&) = delete;
    MainFrameHost& operator=(const MainFrameHost&) = delete;
};
