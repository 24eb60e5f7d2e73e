#include "desktop/SkeldApp.h"

#include <curl/curl.h>
#include <sys/resource.h>

#include <QGuiApplication>
#include <QScreen>
#include <QSessionManager>
#include <QSocketNotifier>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <system_error>

#include "app/SingleInstanceRefusal.h"
#include "desktop/MainFrame.h"
#include "desktop/assistant/NewAccountDlg.h"
#include "desktop/dialogs/SplashWnd.h"
#include "files/FileIo.h"
#include "persistence/Autostart.h"
#include "persistence/FileTypedStore.h"
#include "persistence/OlderClientMigration.h"
#include "persistence/State.h"
#include "platform/InputBackendChoice.h"
#include "platform/evdev/EvdevPointer.h"
#include "platform/linux/SessionEndSignals.h"
#include "platform/linux/SingleInstanceLock.h"
#include "platform/linux/XdgAutostart.h"
#include "platform/x11/X11InputSource.h"
#include "platform/x11/X11Pointer.h"
#include "ports/Clock.h"
#include "server/AccountTakeOver.h"

namespace {

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

}  // namespace

CSkeldApp::CSkeldApp() : CSkeldApp(DataFolder::FromEnvironment()) {}

CSkeldApp::CSkeldApp(DataFolder dataFolder)
    : dataFolder_(std::move(dataFolder)),
      user_(tray_),
      persistence_(dataFolder_, FileTypedStore::DefaultPath(), user_),
      logs_(dataFolder_) {}

CSkeldApp::~CSkeldApp() {
    mainFrame_.reset();  // stops the mouse thread before the record goes
    if (curlStarted_) {
        curl_global_cleanup();
    }
}

bool CSkeldApp::InitInstance() {
    lock_ = std::make_unique<SingleInstanceLock>(SingleInstanceLock::DefaultPath());
    if (const auto refusal = SingleInstanceRefusal(*lock_, "Kestrovin is already running.")) {
        std::cerr << "kestrovin: " << *refusal << '\n';
        user_.ShowMessage(*refusal, UserPort::Icon::Exclamation);
        return false;
    }
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        user_.ShowMessage("Network initialization failed.", UserPort::Icon::Exclamation);
        return false;
    }
    curlStarted_ = true;

    DecideMode();
    if (!CreateMainFrame()) {
        return false;
    }

    const LoadResult loaded = persistence_.LoadState(Record, Frequencies);
    // Left without an account, the program ends; nothing is saved, so the next start runs the
    // assistant again.
    if (loaded != LoadResult::Loaded && !RunSetupAssistant()) {
        return false;
    }
    StateLoaded = true;
    Frequencies.FillKeyNames();
    // Shown while the rest of the start-up goes on; it goes by itself.
    CSplashWnd::EnableSplashScreen(Record.Prefs.ShowSplash != 0);
    CSplashWnd::ShowSplashScreen();

    XdgAutostart autostartEntry = XdgAutostart::FromEnvironment();
    Autostart(autostartEntry, user_).Set(Record.Prefs.LoadAtWinStartup);

    mainFrame_->UpdateTooltip();
    mainFrame_->SetIcon(TrayIconId::Normal);
    mainFrame_->StartTimers();
    mainFrame_->SetTrayReady();
    if (Record.Prefs.GeekStart != 0) {
        mainFrame_->OpenGeekWindow();
    }
    if (Record.Prefs.UseHotKey != 0) {
        mainFrame_->RegisterHotKey();
    }
    SaveAll();
    mainFrame_->StartMouseThread();
    WatchSessionEnd();
    return true;
}

void CSkeldApp::DecideMode() {
    // The record's start values, with the mode the marker chooses, come before anything is
    // written: the first debug-log line already goes to the mode's data folder.
    Record = AppRecord();
    Record.Prefs.PortableMode = dataFolder_.IsPortableMarkerPresent();
    // The lock is held: no other copy is in the middle of a save.
    persistence_.RemoveLeftovers();
    const std::filesystem::path autostartEntry = XdgAutostart::FromEnvironment().EntryPath();
    RemoveTemporaryLeftovers(autostartEntry.parent_path(), {autostartEntry.filename().string()});
    if (!Record.Prefs.PortableMode) {
        FileTypedStore store(FileTypedStore::DefaultPath());
        OlderClientMigration::Run(store, user_);
    }
}

bool CSkeldApp::RunSetupAssistant() {
    CNewAccountDlg assistant([this] { return mainFrame_->NewRequestContext(); }, user_,
                             [this] { DiscardState(); });
    if (assistant.exec() != QDialog::Accepted) {
        return false;
    }
    const AcceptedAccount account = assistant.Result();
    TakeOverSetup(account);
    // The assistant closes without a word of its own: say that counting has begun, and for
    // whom. A tray that is not there yet shows it once it is.
    user_.ShowBalloon("Kestrovin", "Kestrovin is now counting for " + account.UserName +
                                       " on computer " + account.ComputerName + ".");
    return true;
}

void CSkeldApp::TakeOverSetup(const AcceptedAccount& account) {
    TakeOverAccount(Record, account, SystemClock::Instance().Now());
    // The tally on disk was not loaded with the state: it goes on under the new account.
    persistence_.TakeInKeyTally(Record, Frequencies);
    XdgAutostart autostartEntry = XdgAutostart::FromEnvironment();
    Autostart(autostartEntry, user_).Set(Record.Prefs.LoadAtWinStartup);
}

void CSkeldApp::CreateTrayIcon() {
    tray_.Create(TrayIconId::Normal, QStringLiteral("Kestrovin"));
    if (!tray_.IsVisible()) {
        logs_.WriteDebugLog(Record.Prefs.PortableMode,
                            "No system tray yet; the icon appears as soon as one does");
        // The program has no other way to be seen: say where it will be.
        std::cerr << "kestrovin: there is no system tray (notification area) yet. Kestrovin keeps "
                     "running and waits for one: its icon will appear there as soon as a panel "
                     "with a system tray starts.\n";
    }
}

bool CSkeldApp::CreateMainFrame() {
    CreateTrayIcon();
    std::string error;
    std::unique_ptr<PointerPort> pointer;
    std::unique_ptr<InputSource> input;
    if (ChooseInputBackend(EnvironmentValue) == InputBackend::Evdev) {
        // A Wayland session: nothing here needs an X server.
        OpenDeviceInput(input, pointer, error);
    } else {
        pointer = X11Pointer::Open({}, &error);
        if (pointer) {
            input = X11InputSource::Open({}, &error);
        }
    }
    if (!input) {
        user_.ShowMessage("Registering raw input device failed!\n\n" + error,
                          UserPort::Icon::Exclamation);
        return false;
    }
    // Counting should keep up with fast typing; an unprivileged user may not raise priority.
    ::setpriority(PRIO_PROCESS, 0, -5);
    mainFrame_ = std::make_unique<CMainFrame>(*this, tray_, std::move(input), std::move(pointer));
    return true;
}

void CSkeldApp::OpenDeviceInput(std::unique_ptr<InputSource>& input,
                                std::unique_ptr<PointerPort>& pointer, std::string& error) {
    std::unique_ptr<EvdevInputSource> devices =
        EvdevInputSource::Open(InputDeviceFolder, InputDeviceQuery, &error);
    if (!devices) {
        return;
    }
    // Counting nothing without a word is worse than not starting: the user learns the remedy.
    if (const std::optional<std::string> problem = devices->AccessProblem()) {
        error = *problem;
        return;
    }
    // The desktop's logical inch, as the cursor's pixels are logical ones there.
    qreal perInchX = 96;
    qreal perInchY = 96;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        perInchX = screen->logicalDotsPerInchX();
        perInchY = screen->logicalDotsPerInchY();
    }
    pointer = std::make_unique<EvdevPointer>(devices->Motion(), qRound(perInchX), qRound(perInchY));
    std::string read;
    for (const std::string& path : devices->DevicePaths()) {
        read += " " + path;
    }
    logs_.WriteDebugLog(Record.Prefs.PortableMode, "Reading the input devices:%s",
                        read.empty() ? " none yet" : read.c_str());
    for (const std::string& refused : devices->Refused()) {
        logs_.WriteDebugLog(Record.Prefs.PortableMode, "Input device not read: %s",
                            refused.c_str());
    }
    input = std::move(devices);
}

void CSkeldApp::WatchSessionEnd() {
    signals_ = std::make_unique<SessionEndSignals>();
    if (signals_->Install()) {
        signalNotifier_ =
            std::make_unique<QSocketNotifier>(signals_->ReadFd(), QSocketNotifier::Read);
        QObject::connect(signalNotifier_.get(), &QSocketNotifier::activated, [this] {
            signals_->Take();
            EndSession();
        });
    }
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (application != nullptr) {
        QObject::connect(application, &QGuiApplication::commitDataRequest,
                         [this](QSessionManager&) { SaveAll(); });
    }
}

void CSkeldApp::SaveAll() {
    persistence_.SaveAll(Record, Frequencies);
}

void CSkeldApp::EndSession() {
    if (mainFrame_) {
        // Keys typed just before the end may still wait on the input connection.
        mainFrame_->CountWaitingInput();
    }
    if (LoggedOff == 0 && StateLoaded) {
        SaveAll();
    }
    QCoreApplication::quit();
}

void CSkeldApp::DiscardStateAndClose() {
    DiscardState();
    QCoreApplication::quit();
}

void CSkeldApp::DiscardState() {
    ++LoggedOff;
    std::error_code ignored;
    const bool portable = Record.Prefs.PortableMode;
    std::filesystem::remove(dataFolder_.GetDataFilePath(CState::StateFileName, portable), ignored);
    std::filesystem::remove(dataFolder_.GetDataFilePath(CState::BackupFileName, portable), ignored);
}

void CSkeldApp::ExitInstance() {
    // The program may end before the splash has gone by itself.
    delete CSplashWnd::Current();
    if (StateLoaded && Record.Account.NewAccount == 0 && LoggedOff == 0) {
        SaveAll();
    }
    mainFrame_.reset();
}
