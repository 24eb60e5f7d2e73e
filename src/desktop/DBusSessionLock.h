#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>
#include <functional>
#include <string>

#include "app/LogLineLimit.h"
#include "ports/SessionLockPort.h"

class QDBusPendingCallWatcher;

// The session's lock state as the desktop reports it on D-Bus: the screen saver interface on
// the session bus (GNOME, KDE, XFCE, light-locker and others offer it) and logind's LockedHint
// of this session on the system bus. Either one saying "locked" is enough. Until they answer,
// and where neither is there, the session counts as unlocked.
class DBusSessionLock final : public QObject, public SessionLockPort {
    Q_OBJECT

public:
    // `log` takes one line for the debug log: each change (a few a minute at most), and once
    // that the state cannot be known when neither source answers.
    explicit DBusSessionLock(std::function<void(const std::string&)> log);

    bool IsLocked() const override { return screenSaverActive_ || logindLocked_; }

private slots:
    // The argument is not trusted: the screen saver is asked again.
    void OnActiveChanged(bool claimed);
    void OnSessionPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                    const QStringList& invalidated);

private:
    void WatchScreenSaver();
    // Hears the screen saver's signals from `owner` alone, the connection that holds its name
    // now ("" when none does), and asks it for its state.
    void FollowScreenSaver(const QString& owner);
    // Asks the screen saver whether it is active; while one question is under way, one more
    // is asked after it, however many signals came meanwhile.
    void AskScreenSaver();
    void WatchLogind();
    void WatchLogindSession(const QString& path);
    void SetScreenSaverActive(bool active);
    void SetLogindLocked(bool locked);
    // Sets one source's state; a change of the whole is told (Notify) and logged.
    void Change(bool& source, bool value);
    // A source answered (or could not): logs once when neither can tell.
    void SourceSettled(bool available);
    void SettleScreenSaver(bool available);

    std::function<void(const std::string&)> log_;
    LogLineLimit changeLines_;
    QTimer leftOutTimer_;
    QString screenSaverOwner_;
    bool askingScreenSaver_ = false;
    bool askScreenSaverAgain_ = false;
    bool screenSaverSettled_ = false;
    bool screenSaverActive_ = false;
    bool logindLocked_ = false;
    int sourcesUnsettled_ = 2;
    bool anySourceAvailable_ = false;
};
