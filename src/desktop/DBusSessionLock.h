#pragma once

#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <string>

#include "ports/SessionLockPort.h"

class QDBusPendingCallWatcher;

// The session's lock state as the desktop reports it on D-Bus: the screen saver interface on
// the session bus (GNOME, KDE, XFCE, light-locker and others offer it) and logind's LockedHint
// of this session on the system bus. Either one saying "locked" is enough. Until they answer,
// and where neither is there, the session counts as unlocked.
class DBusSessionLock final : public QObject, public SessionLockPort {
    Q_OBJECT

public:
    // `log` takes one line for the debug log: each change, and once that the state cannot be
    // known when neither source answers.
    explicit DBusSessionLock(std::function<void(const std::string&)> log);

    bool IsLocked() const override { return screenSaverActive_ || logindLocked_; }

private slots:
    void OnActiveChanged(bool active);
    void OnSessionPropertiesChanged(const QString& interface, const QVariantMap& changed,
                                    const QStringList& invalidated);

private:
    void WatchScreenSaver();
    void WatchLogind();
    void WatchLogindSession(const QString& path);
    void SetScreenSaverActive(bool active);
    void SetLogindLocked(bool locked);
    // Sets one source's state; a change of the whole is told (Notify) and logged.
    void Change(bool& source, bool value);
    // A source answered (or could not): logs once when neither can tell.
    void SourceSettled(bool available);

    std::function<void(const std::string&)> log_;
    bool screenSaverActive_ = false;
    bool logindLocked_ = false;
    int sourcesUnsettled_ = 2;
    bool anySourceAvailable_ = false;
};
