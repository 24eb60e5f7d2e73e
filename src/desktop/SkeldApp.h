#pragma once

#include <memory>
#include <string>

#include "counting/AppRecord.h"
#include "counting/KeyFrequencyTable.h"
#include "desktop/MainFrameHost.h"
#include "desktop/QtUser.h"
#include "desktop/SystemTray.h"
#include "persistence/AppPersistence.h"
#include "persistence/DataFolder.h"
#include "persistence/Logs.h"
#include "platform/evdev/EvdevInputSource.h"

struct AcceptedAccount;
class CMainFrame;
class InputSource;
class PointerPort;
class SingleInstanceLock;
class SessionEndSignals;
class QSocketNotifier;

// The application: starts the program in its fixed order, owns the record, the key tally and
// everything that reaches the disk, and every way the program ends.
class CSkeldApp final : public MainFrameHost {
public:
    CSkeldApp();
    // With the program and data folders given rather than found.
    explicit CSkeldApp(DataFolder dataFolder);
    ~CSkeldApp();
    CSkeldApp(const CSkeldApp&) = delete;
    CSkeldApp& operator=(const CSkeldApp&) = delete;

    // The start-up sequence; false when the program is to end instead of running.
    bool InitInstance();
    // The final step after the event loop (or after InitInstance said no).
    void ExitInstance();

    void SaveAll() override;
    void DiscardStateAndClose() override;
    // Its first steps: nothing is saved from now on, and the state file and its backup go.
    void DiscardState();
    // Makes the account the setup accepted the record's and writes the autostart entry.
    void TakeOverSetup(const AcceptedAccount& account);
    // Saves and quits: the session or a signal ends the program.
    void EndSession();

    bool StateLoaded = false;
    // Where the kernel's input devices are, when the session is read through them.
    std::string InputDeviceFolder = EvdevInputSource::kDeviceFolder;
    // What a device there is: the kernel says so; tests say it of their own entries.
    EvdevDeviceScan::CapabilityQuery InputDeviceQuery = EvdevDeviceScan::KernelCapabilities;

    const AppPersistence& Persistence() const override { return persistence_; }
    const Logs& Log() const override { return logs_; }
    const DataFolder& Folder() const override { return dataFolder_; }
    UserPort& User() override { return user_; }

    // The first start-up steps after the lock: the record's start values with the mode the
    // portable marker chooses, the clean-up of interrupted saves and, in normal mode, the
    // older client's settings.
    void DecideMode();
    // The tray icon, shown as soon as a tray is there (a debug-log line says when none is yet).
    void CreateTrayIcon();

private:
    bool CreateMainFrame();
    // The input and travel of a Wayland session from the kernel's devices; no input, with
    // `error` saying why, when they cannot be read.
    void OpenDeviceInput(std::unique_ptr<InputSource>& input, std::unique_ptr<PointerPort>& pointer,
                         std::string& error);
    // Gets an account through the setup assistant; false when the user left it.
    bool RunSetupAssistant();
    void WatchSessionEnd();

    std::unique_ptr<SingleInstanceLock> lock_;
    DataFolder dataFolder_;
    CSystemTray tray_;
    QtUser user_;
    AppPersistence persistence_;
    Logs logs_;
    std::unique_ptr<SessionEndSignals> signals_;
    std::unique_ptr<QSocketNotifier> signalNotifier_;
    std::unique_ptr<CMainFrame> mainFrame_;
    bool curlStarted_ = false;
};
