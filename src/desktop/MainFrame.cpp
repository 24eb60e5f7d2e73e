#include "desktop/MainFrame.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QFont>
#include <QMenu>
#include <optional>
#include <vector>

#include "app/TrayNotification.h"
#include "counting/AnyPrivateKeys.h"
#include "desktop/DBusSessionLock.h"
#include "desktop/MainFrameHost.h"
#include "desktop/PasswordFieldFocus.h"
#include "desktop/SystemTray.h"
#include "desktop/dialogs/AccountInfo.h"
#include "desktop/dialogs/DebugLog.h"
#include "desktop/dialogs/EasterEgg.h"
#include "desktop/dialogs/LogList.h"
#include "desktop/dialogs/PageFrequencies.h"
#include "desktop/dialogs/SettingsTabs.h"
#include "desktop/dialogs/SplashWnd.h"
#include "desktop/geek/GeekDlg.h"
#include "persistence/AppPersistence.h"
#include "persistence/Autostart.h"
#include "persistence/DataFolder.h"
#include "persistence/Logs.h"
#include "platform/linux/XdgAutostart.h"
#include "ports/Clock.h"
#include "ports/InputSource.h"
#include "ports/PointerPort.h"
#include "ports/UserPort.h"
#include "reports/TemplateOutput.h"
#include "server/ServerAddress.h"

namespace {

RequestContext ContextFor(MainFrameHost& app, TrayIconPort& tray, EndSkeldPort& skeldEnd) {
    return RequestContext{app.Record,
                          app.Frequencies,
                          app.Persistence(),
                          app.Log(),
                          app.User(),
                          tray,
                          SystemClock::Instance(),
                          ServerAddress::FromEnvironment(),
                          skeldEnd};
}

}  // namespace

CMainFrame::CMainFrame(MainFrameHost& app, CSystemTray& tray, std::unique_ptr<InputSource> input,
                       std::unique_ptr<PointerPort> pointer)
    : app_(app),
      tray_(tray),
      shownTray_(tray, app.Record),
      trayFeedback_(shownTray_),
      input_(std::move(input)),
      pointer_(std::move(pointer)),
      sampler_(*pointer_, app.Record.Account, app.Record.Prefs),
      serverActions_(ContextFor(app, *this, *this)),
      scheduler_(app.Record, counter_, SystemClock::Instance(), *this, serverActions_,
                 app.Persistence(), app.Frequencies, app.User()),
      counter_(app.Record.Account, app.Record.Prefs, app.Frequencies, *this, scheduler_,
               input_->KeyState()),
      inputNotifier_(input_->FileDescriptor(), [this] { OnInputReadable(); }) {
    sampler_.MeasureScreen();
    sessionLock_ = std::make_unique<DBusSessionLock>([this](const std::string& line) {
        app_.Log().WriteDebugLog(app_.Record.Prefs.PortableMode, "%s", line.c_str());
    });
    passwordFocus_ = std::make_unique<PasswordFieldFocus>();
    privateKeys_ = std::make_unique<AnyPrivateKeys>(
        std::vector<PrivateKeysPort*>{sessionLock_.get(), passwordFocus_.get()});
    // Keys that arrived before the keys became private, or stopped being so, are counted under
    // the state they were typed in.
    privateKeys_->OnChange([this](bool /*coming*/) { CountWaitingInput(); });
    counter_.WatchPrivateKeys(*privateKeys_);
    scheduler_.WatchSessionLock(*sessionLock_);
    BuildMenu();
    connect(&tray_, &CSystemTray::RightButtonReleased, this, [this] {
        const TrayReaction reaction = OnTrayNotification(
            scheduler_, app_.Record.Prefs, TrayIconResourceId, TrayMouse::RightButtonUp);
        if (reaction.What == TrayReaction::Kind::ShowMenu) {
            ShowMenu();
        }
    });
    connect(&tray_, &CSystemTray::LeftButtonDoubleClicked, this, [this] {
        const TrayReaction reaction = OnTrayNotification(
            scheduler_, app_.Record.Prefs, TrayIconResourceId, TrayMouse::LeftDoubleClick);
        if (reaction.What == TrayReaction::Kind::SendCommand) {
            OnCommand(reaction.Command);
        }
    });
    connect(&tray_, &CSystemTray::TrayAppeared, this, [this] {
        app_.Log().WriteDebugLog(app_.Record.Prefs.PortableMode, "System tray found");
    });
    OnInputReadable();  // events read while opening wait in the connection's queue
    // Only shows when start-up has already enabled the splash, which it does later, after the
    // settings are loaded.
    CSplashWnd::ShowSplashScreen();
}

CMainFrame::~CMainFrame() {
    delete geekWindow_.data();  // it reads the scheduler, which goes with this object
    // The open dialogs work on the record and the server actions, which go with this object.
    delete accountDetails_.Get();
    delete preferences_.Get();
    delete keyFrequencies_.Get();
    delete skeldLog_.Get();
    delete debugLog_.Get();
    mouseThread_.reset();
    for (auto& [id, timer] : timers_) {
        timer->stop();
    }
}

void CMainFrame::SetIcon(TrayIconId icon) {
    trayFeedback_.SetIcon(icon);
}

void CMainFrame::UpdateTooltip() {
    trayFeedback_.UpdateTooltip();
}

void CMainFrame::SetTooltipText(const std::string& text) {
    trayFeedback_.SetTooltipText(text);
}

void CMainFrame::RefreshIcon() {
    trayFeedback_.RefreshIcon();
}

void CMainFrame::OnInputReadable() {
    std::string error;
    const bool alive =
        input_->Dispatch([this](const RawInput& record) { counter_.OnRawInput(record); },
                         [this](int id) { scheduler_.OnHotKey(id); }, &error);
    if (!alive) {
        // A lost X server keeps the descriptor readable for ever.
        inputNotifier_.Stop();
        app_.Log().WriteDebugLog(app_.Record.Prefs.PortableMode, "Input lost: %s", error.c_str());
    }
}

void CMainFrame::CountWaitingInput() {
    input_->CatchUp();
    OnInputReadable();
}

RequestContext CMainFrame::NewRequestContext() {
    return ContextFor(app_, *this, *this);
}

void CMainFrame::StartTimers() {
    scheduler_.GenerateTemplateOutput = [this] {
        std::string error;
        switch (TemplateOutput::GenerateNow(app_.Record, app_.Folder(), &error)) {
            case TemplateOutput::Result::Written:
            case TemplateOutput::Result::NoTemplate:
                return;
            case TemplateOutput::Result::TemplateTooLarge:
            case TemplateOutput::Result::CannotWrite:
                app_.Log().WriteDebugLog(app_.Record.Prefs.PortableMode, "Template output: %s",
                                         error.c_str());
                app_.User().ShowMessage(std::string(TemplateOutput::InUseMessage));
                return;
        }
    };
    for (const TimerPlan& plan : StartupTimers(app_.Record.Prefs)) {
        StartTimer(plan);
    }
}

void CMainFrame::StartTimer(const TimerPlan& plan) {
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(plan.PeriodMs);
    timer->setTimerType(Qt::CoarseTimer);
    const MainTimer id = plan.Id;
    connect(timer.get(), &QTimer::timeout, this, [this, id] { OnTimer(id); });
    timer->start();
    timers_[id] = std::move(timer);
}

void CMainFrame::StartTemplateOutputTimer() {
    const auto running = timers_.find(TemplateOutputTimer.Id);
    if (running == timers_.end() || !running->second->isActive()) {
        StartTimer(TemplateOutputTimer);
    }
}

QTimer* CMainFrame::Timer(MainTimer id) const {
    const auto found = timers_.find(id);
    return found == timers_.end() ? nullptr : found->second.get();
}

void CMainFrame::OnTimer(MainTimer id) {
    if (scheduler_.OnTimer(static_cast<int>(id)) == SkeldScheduler::AfterTick::StopTimer) {
        timers_.at(id)->stop();
    }
    if (id == MainTimer::Tooltip) {
        // The countdown in the menu, kept current every second: a panel that shows the
        // exported menu lays it out from the layout it last read, before the program hears
        // that it opens, and would cut off a label that grew only then.
        RefreshMenu();
    }
}

void CMainFrame::RegisterHotKey() {
    std::string error;
    if (!input_->RegisterHotKey(&error)) {
        app_.Log().WriteDebugLog(app_.Record.Prefs.PortableMode, "Hot key: %s", error.c_str());
    }
    OnInputReadable();
}

void CMainFrame::StartMouseThread() {
    mouseThread_ = std::make_unique<MouseThread>(sampler_);
}

void CMainFrame::SetTrayReady() {
    scheduler_.TrayReady = true;
    RefreshMenu();  // a panel that shows the menu itself may have read it greyed
}

void CMainFrame::BuildMenu() {
    menu_ = std::make_unique<QMenu>();
    const bool exported = tray_.UsesStatusNotifierHost();
    std::vector<QMenu*> levels{menu_.get()};
    for (const TrayMenuEntry& entry : TrayMenuEntries()) {
        levels.resize(static_cast<std::size_t>(entry.Depth) + 1);
        QMenu* parent = levels.back();
        const QString text = QString::fromStdString(exported ? TextForExportedMenu(entry.Text)
                                                             : std::string(entry.Text));
        switch (entry.What) {
            case TrayMenuEntry::Kind::Separator:
                parent->addSeparator();
                break;
            case TrayMenuEntry::Kind::Submenu:
                levels.push_back(parent->addMenu(text));
                break;
            case TrayMenuEntry::Kind::Command: {
                QAction* action = parent->addAction(text);
                if (defaultItem_ == nullptr) {
                    QFont bold = action->font();
                    bold.setBold(true);
                    action->setFont(bold);
                    menu_->setDefaultAction(action);
                    defaultItem_ = action;
                }
                const TrayCommand command = entry.Command;
                commandItems_.emplace_back(action, command);
                connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
                break;
            }
        }
    }
    connect(menu_.get(), &QMenu::aboutToShow, this, &CMainFrame::RefreshMenu);
    RefreshMenu();
    // Complete before the tray gets it: Qt exports the submenus as they are at this moment.
    tray_.SetMenu(menu_.get());
}

void CMainFrame::RefreshMenu() {
    const TrayReaction reaction = OnTrayNotification(scheduler_, app_.Record.Prefs,
                                                     TrayIconResourceId, TrayMouse::RightButtonUp);
    const bool ready = reaction.What == TrayReaction::Kind::ShowMenu;
    if (ready) {
        defaultItem_->setText(QString::fromStdString(reaction.DefaultItemText));
    }
    for (const auto& [action, command] : commandItems_) {
        action->setEnabled(ready);
    }
}

void CMainFrame::ShowMenu() {
    menu_->popup(QCursor::pos());
}

void CMainFrame::OnCommand(TrayCommand command) {
    const bool portable = app_.Record.Prefs.PortableMode;
    const ServerAddress& server = serverActions_.Context().Server;
    switch (command) {
        case TrayCommand::AccountDetails:
            ShowAccountDetails();
            break;
        case TrayCommand::Preferences:
            ShowPreferences();
            break;
        case TrayCommand::SkeldNow:
            scheduler_.SkeldNow();
            break;
        case TrayCommand::Exit:
            Exit();
            break;
        case TrayCommand::LogOff:
            LogOff();
            break;
        case TrayCommand::OnlineStats:
            app_.User().Open(server.WebPageUrl("/stats/users/" +
                                               std::to_string(app_.Record.Account.UserID) + "/"));
            break;
        case TrayCommand::ResetToken:
            ResetToken();
            break;
        case TrayCommand::GeekWindow:
            OpenGeekWindow();
            break;
        case TrayCommand::DynamicImages:
            OpenWebPage("/dynimg/");
            break;
        case TrayCommand::OnlineHelp:
            OpenWebPage("/wiki/");
            break;
        case TrayCommand::Forums:
            OpenWebPage("/forum/");
            break;
        case TrayCommand::CheckVersion:
            serverActions_.CheckVersionInteractively();
            break;
        case TrayCommand::DataFolder:
            app_.User().Open(app_.Folder().GetDataFolder(portable).string());
            break;
        case TrayCommand::KeyFrequencies:
            ShowKeyFrequencies();
            break;
        case TrayCommand::SkeldLog:
            if (!skeldLog_.Raise()) {
                skeldLog_.Show(new CLogList(app_.Log().SkeldLog(portable), app_.User()));
            }
            break;
        case TrayCommand::DebugLog:
            if (!debugLog_.Raise()) {
                debugLog_.Show(new CDebugLog(app_.Log().DebugLog(portable), app_.User()));
            }
            break;
        default:
            break;  // the dialogs come later
    }
}

void CMainFrame::OpenGeekWindow() {
    geekWindow_ = CGeekDlg::OpenOnce(app_.GeekWindowOpen, app_.Record,
                                     [this] { return scheduler_.Timer().SecondsTilSkeld(); });
}

void CMainFrame::OpenWebPage(const char* path) {
    app_.User().Open(serverActions_.Context().Server.WebPageUrl(path));
}

void CMainFrame::ShowAccountDetails() {
    if (accountDetails_.Raise()) {
        return;
    }
    accountDetails_.Show(new CAccountInfo(
        app_.Record.Account, app_.User(), serverActions_.Context().Server.WebPageUrl("/password/"),
        [this](const std::string& newPassword) { serverActions_.ResetPassword(newPassword); }));
}

void CMainFrame::ShowKeyFrequencies() {
    if (keyFrequencies_.Raise()) {
        return;
    }
    auto* dialog = new CPageFrequencies(
        app_.Frequencies, KeyFrequencyReport::Figures::From(app_.Record), app_.User(),
        SystemClock::Instance(),
        [this](const std::string& xml) { serverActions_.SendKeyboardImage(xml); });
    // A reset counts from its moment: keys typed later while the dialog is open are kept.
    connect(dialog, &CPageFrequencies::ChartReset, this, [this](qint64 lastReset) {
        app_.Record.Account.KeysSinceLastReset = 0;
        app_.Record.Account.LastReset = static_cast<std::int32_t>(lastReset);
    });
    // Saved with the settings at their usual times.
    connect(dialog, &QDialog::finished, this,
            [this, dialog] { app_.Record.Prefs.KeepFreq = dialog->Values.KeepRecord ? 1 : 0; });
    keyFrequencies_.Show(dialog);
}

void CMainFrame::ShowPreferences() {
    if (preferences_.Raise()) {
        return;
    }
    Preferences& prefs = app_.Record.Prefs;
    auto* dialog = new CSettingsTabs(SettingsPages::From(prefs), prefs, app_.User());
    dialog->VersionClicked = [this] { ShowCredits(); };
    connect(dialog, &QDialog::accepted, this, [this, dialog] { ApplyPreferences(dialog->Pages); });
    preferences_.Show(dialog);
}

// The credits, from a click on the version in the preferences' About page, above them.
void CMainFrame::ShowCredits() {
    CEasterEgg credits(preferences_.Get());
    credits.setWindowModality(Qt::WindowModal);
    credits.exec();
}

void CMainFrame::ApplyPreferences(const SettingsPages& pages) {
    Preferences& prefs = app_.Record.Prefs;
    SettingsEffects effects;
    effects.SetAutostart = [this](std::int32_t on) {
        XdgAutostart entry = XdgAutostart::FromEnvironment();
        Autostart(entry, app_.User()).Set(on);
    };
    effects.SetHotKey = [this](bool on) {
        if (on) {
            RegisterHotKey();
        } else {
            input_->UnregisterHotKey();
        }
    };
    effects.StartTemplateOutputTimer = [this] { StartTemplateOutputTimer(); };
    effects.SaveAll = [this] { app_.SaveAll(); };
    effects.ShowNormalTrayIcon = [this] { SetIcon(TrayIconId::Normal); };
    effects.PortableMarker = app_.Folder().PortableMarkerPath();
    const SettingsApply::Outcome outcome = SettingsApply::Apply(pages, prefs, effects);
    if (outcome.SkipNextDueCheck) {
        scheduler_.SkipNextDueCheck = true;
    }
    for (const std::string& message : outcome.Messages) {
        app_.User().ShowMessage(message);
    }
}

void CMainFrame::ResetToken() {
    if (app_.User().AskYesNo("Do you really want to reset your token? (This means your current "
                             "keys/clicks on the client will be reset!)",
                             UserPort::Icon::Question, UserPort::EnterAnswers::No)) {
        serverActions_.ResetToken();
    }
}

void CMainFrame::LogOff() {
    if (!app_.User().AskYesNo(
            "Do you really want to log off this user? (All current counts will be lost!)",
            UserPort::Icon::Question, UserPort::EnterAnswers::No)) {
        return;
    }
    AccountState& account = app_.Record.Account;
    account.NewAccount = 1;
    account.ResetUnsentKeys();
    account.ResetUnsentClicks();
    account.ResetUnsentDistance();
    account.TotalClicks = 0;
    account.TotalKeys = 0;
    account.Rank = 0;
    account.KeysLastSkeld = 0;
    account.UserID = 0;
    account.Email.clear();
    account.KeysSinceLastReset = 0;
    app_.SaveAll();
    app_.User().ShowMessage("You have been logged off. Please restart Kestrovin to log in again.",
                            UserPort::Icon::Exclamation);
    app_.DiscardStateAndClose();
}

void CMainFrame::Exit() {
    for (auto& [id, timer] : timers_) {
        timer->stop();
    }
    // Keys typed just before may still wait on the input connection (a panel's menu does not
    // take the keyboard, so typing can go on up to the click).
    CountWaitingInput();
    if (app_.LoggedOff == 0) {
        app_.SaveAll();
    }
    QCoreApplication::quit();
}
