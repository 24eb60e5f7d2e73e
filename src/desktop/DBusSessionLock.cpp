#include "desktop/DBusSessionLock.h"

#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <utility>

namespace {

const QString kScreenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kScreenSaverInterface = QStringLiteral("org.freedesktop.ScreenSaver");
// The interface's usual object, and the one KDE used first.
const QString kScreenSaverPaths[] = {QStringLiteral("/org/freedesktop/ScreenSaver"),
                                     QStringLiteral("/ScreenSaver")};
const QString kLogindService = QStringLiteral("org.freedesktop.login1");
const QString kLogindSessionInterface = QStringLiteral("org.freedesktop.login1.Session");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

// The desktop's services answer at once; a hung one must not keep the state unknown for the
// D-Bus default of 25 seconds.
constexpr int kCallTimeoutMs = 5000;

// Calls `method` without waiting; `done` gets the finished call.
template <typename Done>
void CallLater(QObject* owner, const QDBusConnection& bus, const QDBusMessage& call, Done done) {
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kCallTimeoutMs), owner);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, owner,
                     [done = std::move(done)](QDBusPendingCallWatcher* finished) {
                         done(*finished);
                         finished->deleteLater();
                     });
}

}  // namespace

DBusSessionLock::DBusSessionLock(std::function<void(const std::string&)> log)
    : log_(std::move(log)) {
    WatchScreenSaver();
    WatchLogind();
}

void DBusSessionLock::WatchScreenSaver() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        SourceSettled(false);
        return;
    }
    // From any sender, so a screen saver that starts after this program is heard too.
    for (const QString& path : kScreenSaverPaths) {
        bus.connect(QString(), path, kScreenSaverInterface, QStringLiteral("ActiveChanged"), this,
                    SLOT(OnActiveChanged(bool)));
    }
    const QDBusMessage call =
        QDBusMessage::createMethodCall(kScreenSaverService, kScreenSaverPaths[0],
                                       kScreenSaverInterface, QStringLiteral("GetActive"));
    CallLater(this, bus, call, [this](QDBusPendingCallWatcher& finished) {
        const QDBusPendingReply<bool> reply = finished;
        if (reply.isValid()) {
            SetScreenSaverActive(reply.value());
        }
        SourceSettled(reply.isValid());
    });
}

void DBusSessionLock::WatchLogind() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        SourceSettled(false);
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(
        kLogindService, QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("GetSessionByPID"));
    call << static_cast<uint>(::getpid());
    CallLater(this, bus, call, [this](QDBusPendingCallWatcher& finished) {
        const QDBusPendingReply<QDBusObjectPath> reply = finished;
        if (!reply.isValid()) {
            SourceSettled(false);  // no logind, or this program is outside any session
            return;
        }
        WatchLogindSession(reply.value().path());
    });
}

void DBusSessionLock::WatchLogindSession(const QString& path) {
    QDBusConnection bus = QDBusConnection::systemBus();
    bus.connect(kLogindService, path, kPropertiesInterface, QStringLiteral("PropertiesChanged"),
                this, SLOT(OnSessionPropertiesChanged(QString, QVariantMap, QStringList)));
    QDBusMessage call = QDBusMessage::createMethodCall(kLogindService, path, kPropertiesInterface,
                                                       QStringLiteral("Get"));
    call << kLogindSessionInterface << QStringLiteral("LockedHint");
    CallLater(this, bus, call, [this](QDBusPendingCallWatcher& finished) {
        const QDBusPendingReply<QDBusVariant> reply = finished;
        if (reply.isValid()) {
            SetLogindLocked(reply.value().variant().toBool());
        }
        SourceSettled(reply.isValid());
    });
}

void DBusSessionLock::OnActiveChanged(bool active) {
    SetScreenSaverActive(active);
}

void DBusSessionLock::OnSessionPropertiesChanged(const QString& interface,
                                                 const QVariantMap& changed,
                                                 const QStringList& /*invalidated*/) {
    const auto hint = changed.constFind(QStringLiteral("LockedHint"));
    if (interface == kLogindSessionInterface && hint != changed.constEnd()) {
        SetLogindLocked(hint->toBool());
    }
}

void DBusSessionLock::SetScreenSaverActive(bool active) {
    Change(screenSaverActive_, active);
}

void DBusSessionLock::SetLogindLocked(bool locked) {
    Change(logindLocked_, locked);
}

void DBusSessionLock::Change(bool& source, bool value) {
    const bool wasLocked = IsLocked();
    const bool before = std::exchange(source, value);
    const bool nowLocked = IsLocked();
    if (nowLocked == wasLocked) {
        return;
    }
    // Told while the old state still holds, so the input that came before the change is
    // handled under it.
    source = before;
    Notify(nowLocked);
    source = value;
    log_(nowLocked ? "Session locked: keys count, the key tally waits"
                   : "Session unlocked: the key tally goes on");
}

void DBusSessionLock::SourceSettled(bool available) {
    anySourceAvailable_ = anySourceAvailable_ || available;
    if (--sourcesUnsettled_ == 0 && !anySourceAvailable_) {
        log_(
            "Session lock: neither a screen saver nor logind answers on D-Bus, so keys typed "
            "at a lock screen cannot be told apart and go into the key tally");
    }
}
