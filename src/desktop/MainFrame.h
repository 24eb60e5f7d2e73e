#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "app/SkeldScheduler.h"
#include "app/TimerPlan.h"
#include "app/TrayMenu.h"
#include "counting/MouseSampler.h"
#include "counting/MouseThread.h"
#include "counting/RawInputCounter.h"
#include "desktop/BatchedReadNotifier.h"
#include "desktop/FrameLimitedTray.h"
#include "desktop/ShownTray.h"
#include "desktop/SingleDialog.h"
#include "ports/EndSkeldPort.h"
#include "ports/TrayIconPort.h"
#include "server/ApplicationServerActions.h"

class CAccountInfo;
class CDebugLog;
class CGeekDlg;
class CLogList;
class CPageFrequencies;
class CSettingsTabs;
struct SettingsPages;
class CSystemTray;
class AnyPrivateKeys;
class DBusSessionLock;
class PasswordFieldFocus;
class InputSource;
class MainFrameHost;
class PointerPort;
class QAction;
class QMenu;

// The program's hidden main window, which is no window at all: it owns the counting of the
// desktop's input, the main timers, the tray icon's reactions and menu, and the mouse thread.
class CMainFrame final : public QObject, public TrayIconPort, public EndSkeldPort {
    Q_OBJECT

public:
    // `input` and `pointer` are open; the pointer's screen has been measured by `sampler`.
    CMainFrame(MainFrameHost& app, CSystemTray& tray, std::unique_ptr<InputSource> input,
               std::unique_ptr<PointerPort> pointer);
    ~CMainFrame() override;

    // TrayIconPort: at most one change per display frame (FrameLimitedTray).
    void SetIcon(TrayIconId icon) override;
    void UpdateTooltip() override;
    void SetTooltipText(const std::string& text) override;
    void RefreshIcon() override;
    // EndSkeldPort: the scheduler's end-of-skeld step.
    void EndSkeld() override { scheduler_.EndSkeld(); }

    // Start-up steps: the main timers, the tray reacting to the mouse, the hot key, the
    // mouse thread.
    void StartTimers();
    void SetTrayReady();
    void RegisterHotKey();
    void StartMouseThread();
    // Starts the template output timer unless it runs already (GenXML switched on).
    void StartTemplateOutputTimer();

    // Counts the input events that have arrived but not been handled yet.
    void CountWaitingInput();

    // Carries out a tray menu command.
    void OnCommand(TrayCommand command);
    // Opens the Geek Window unless it is open already.
    void OpenGeekWindow();
    // Exit: stop the timers, save unless logged off, and quit.
    void Exit();

    // The context of a request made outside the main frame (the setup assistant's).
    RequestContext NewRequestContext();

    SkeldScheduler& Scheduler() { return scheduler_; }
    // The main timer with this id, or nullptr when it was never started; tests fire it.
    QTimer* Timer(MainTimer id) const;
    const ApplicationServerActions& ServerActions() const { return serverActions_; }

private:
    void OnInputReadable();
    void OnTimer(MainTimer id);
    void BuildMenu();
    // Brings the menu up to date just before it shows: the countdown in the default item,
    // and every item greyed while the tray is not to react (start-up, a skeld under way).
    void RefreshMenu();
    void ShowMenu();
    void LogOff();
    void ShowAccountDetails();
    void ShowPreferences();
    void ApplyPreferences(const SettingsPages& pages);
    void ShowCredits();
    void ShowKeyFrequencies();
    void StartTimer(const TimerPlan& plan);
    void ResetToken();
    void OpenWebPage(const char* path);

    MainFrameHost& app_;
    CSystemTray& tray_;
    ShownTray shownTray_;
    FrameLimitedTray trayFeedback_;
    std::unique_ptr<InputSource> input_;
    std::unique_ptr<PointerPort> pointer_;
    MouseSampler sampler_;
    ApplicationServerActions serverActions_;
    SkeldScheduler scheduler_;  // before the counter, which asks it for skelds
    RawInputCounter counter_;
    // Keeps what is typed at a lock screen out of the key tally and the hot key.
    std::unique_ptr<DBusSessionLock> sessionLock_;
    // Keeps what is typed into the program's own password fields out of the key tally.
    std::unique_ptr<PasswordFieldFocus> passwordFocus_;
    // Either of the two: what the counter asks. Declared after its sources, so it goes first.
    std::unique_ptr<AnyPrivateKeys> privateKeys_;
    // Input is read in short batches: a fast typist or a click burst wakes it far less often.
    BatchedReadNotifier inputNotifier_;
    std::map<MainTimer, std::unique_ptr<QTimer>> timers_;
    std::unique_ptr<QMenu> menu_;
    QAction* defaultItem_ = nullptr;
    std::vector<std::pair<QAction*, TrayCommand>> commandItems_;
    std::unique_ptr<MouseThread> mouseThread_;
    QPointer<CGeekDlg> geekWindow_;
    // The dialogs of the tray menu, each open at most once and beside everything else.
    SingleDialog<CAccountInfo> accountDetails_;
    SingleDialog<CSettingsTabs> preferences_;
    SingleDialog<CPageFrequencies> keyFrequencies_;
    SingleDialog<CLogList> skeldLog_;
    SingleDialog<CDebugLog> debugLog_;
};
