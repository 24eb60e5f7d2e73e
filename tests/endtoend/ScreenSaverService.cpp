// kestrovin-test-screensaver: a screen saver of the tests' own on the session bus that
// DBUS_SESSION_BUS_ADDRESS names, speaking the org.freedesktop.ScreenSaver interface as
// desktop lockers do.
//
//   serve          owns org.freedesktop.ScreenSaver, answers GetActive (inactive at first),
//                  prints "serving" and runs until it is ended
//   set true|false asks the serving one to lock or unlock (SetActive); it emits ActiveChanged
//                  before it answers
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <cstdio>
#include <cstring>

class ScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public slots:
    bool GetActive() const { return active_; }
    bool SetActive(bool active) {
        if (active != active_) {
            active_ = active;
            emit ActiveChanged(active);
        }
        return true;
    }

signals:
    void ActiveChanged(bool active);

private:
    bool active_ = false;
};

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "no session bus\n");
        return 1;
    }
    const QString service = QStringLiteral("org.freedesktop.ScreenSaver");
    const QString path = QStringLiteral("/org/freedesktop/ScreenSaver");
    if (argc == 2 && std::strcmp(argv[1], "serve") == 0) {
        ScreenSaver screenSaver;
        if (!bus.registerObject(
                path, &screenSaver,
                QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) ||
            !bus.registerService(service)) {
            std::fprintf(stderr, "cannot own %s\n", qPrintable(service));
            return 1;
        }
        std::printf("serving\n");
        std::fflush(stdout);
        return QCoreApplication::exec();
    }
    if (argc == 3 && std::strcmp(argv[1], "set") == 0) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(service, path, service, QStringLiteral("SetActive"));
        call << (std::strcmp(argv[2], "true") == 0);
        const QDBusMessage reply = bus.call(call);
        if (reply.type() != QDBusMessage::ReplyMessage) {
            std::fprintf(stderr, "%s\n", qPrintable(reply.errorMessage()));
            return 1;
        }
        return 0;
    }
    std::fprintf(stderr, "usage: %s serve | set true|false\n", argv[0]);
    return 2;
}

#include "ScreenSaverService.moc"
