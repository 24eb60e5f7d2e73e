#include "desktop/DBusSessionLock.h"

#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <utility>

#include "ports/Clock.h"

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

// A locker that flips back and forth must not fill the debug log.
constexpr int kChangeLines = 10;
constexpr std::int64_t kChangeLinesSeconds = 60;

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
    : log_(std::move(log)),
      changeLines_(SystemClock::Instance(), kChangeLines, kChangeLinesSeconds, "Session lock",
                   log_) {
    leftOutTimer_.setSingleShot(true);
    leftOutTimer_.setInterval(static_cast<int>(changeLines_.Seconds() * 1000));
    connect(&leftOutTimer_, &QTimer::timeout, this, [this] {
        if (changeLines_.Flush()) {
            leftOutTimer_.start();
        }
    });
    WatchScreenSaver();
    WatchLogind();
}

void DBusSessionLock::WatchScreenSaver() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        SourceSettled(false);
        return;
    }
    // Any program on the session bus may send a signal that looks like the screen saver's, so
    // only the connection that holds its name is heard, and it changes when the name does: a
    // screen saver that starts after this program, or again, is heard too.
    auto* owners = new QDBusServiceWatcher(kScreenSaverService, bus,
                                           QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(owners, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString& /*name*/, const QString& /*before*/, const QString& now) {
                FollowScreenSaver(now);
            });
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetNameOwner"));
    call << kScreenSaverService;
    CallLater(this, bus, call, [this](QDBusPendingCallWatcher& finished) {
        // Newer than any change of owner heard before it: the bus answers in order.
        const QDBusPendingReply<QString> reply = finished;
        FollowScreenSaver(reply.isValid() ? reply.value() : QString());
        if (!reply.isValid()) {
            SettleScreenSaver(false);  // nobody holds the name
        }
    });
}

void DBusSessionLock::FollowScreenSaver(const QString& owner) {
    if (owner == screenSaverOwner_) {
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    for (const QString& path : kScreenSaverPaths) {
        if (!screenSaverOwner_.isEmpty()) {
            bus.disconnect(screenSaverOwner_, path, kScreenSaverInterface,
                           QStringLiteral("ActiveChanged"), this, SLOT(OnActiveChanged(bool)));
        }
        if (!owner.isEmpty()) {
            bus.connect(owner, path, kScreenSaverInterface, QStringLiteral("ActiveChanged"), this,
                        SLOT(OnActiveChanged(bool)));
        }
    }
    screenSaverOwner_ = owner;
    if (owner.isEmpty()) {
        SetScreenSaverActive(false);  // gone, and its lock screen with it
        return;
    }
    AskScreenSaver();
}

void DBusSessionLock::AskScreenSaver() {
    if (askingScreenSaver_) {
        askScreenSaverAgain_ = true;
        return;
    }
    askingScreenSaver_ = true;
    const QString owner = screenSaverOwner_;
    const QDBusMessage call = QDBusMessage::createMethodCall(
        owner, kScreenSaverPaths[0], kScreenSaverInterface, QStringLiteral("GetActive"));
    CallLater(this, QDBusConnection::sessionBus(), call,
              [this, owner](QDBusPendingCallWatcher& finished) {
                  askingScreenSaver_ = false;
                  const QDBusPendingReply<bool> reply = finished;
                  // The answer of a screen saver that has since given up the name is old news.
                  if (owner == screenSaverOwner_) {
                      if (reply.isValid()) {
                          SetScreenSaverActive(reply.value());
                      }
                      SettleScreenSaver(reply.isValid());
                  }
                  if (std::exchange(askScreenSaverAgain_, false) && !screenSaverOwner_.isEmpty()) {
                      AskScreenSaver();
                  }
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

void DBusSessionLock::OnActiveChanged(bool /*claimed*/) {
    AskScreenSaver();
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
    const bool written =
        changeLines_.Write(nowLocked ? "Session locked: keys count, the key tally waits"
                                     : "Session unlocked: the key tally goes on");
    if (!written && !leftOutTimer_.isActive()) {
        leftOutTimer_.start();
    }
}

void DBusSessionLock::SettleScreenSaver(bool available) {
    if (!std::exchange(screenSaverSettled_, true)) {
        SourceSettled(available);
    }
}

void DBusSessionLock::SourceSettled(bool available) {
    anySourceAvailable_ = anySourceAvailable_ || available;
    if (--sourcesUnsettled_ == 0 && !anySourceAvailable_) {
        log_(
            "Session lock: neither a screen saver nor logind answers on D-Bus, so keys typed "
            "at a lock screen cannot be told apart and go into the key tally");
    }
}
