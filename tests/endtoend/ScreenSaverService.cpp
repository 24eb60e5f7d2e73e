// kestrovin-test-screensaver: a screen saver of the tests' own on the session bus that
// DBUS_SESSION_BUS_ADDRESS names, speaking the org.freedesktop.ScreenSaver interface as
// desktop lockers do.
//
//   serve          owns org.freedesktop.ScreenSaver, answers GetActive (inactive at first),
//                  prints "serving" and runs until it is ended
//   set true|false asks the serving one to lock or unlock (SetActive); it emits ActiveChanged
//                  before it answers
//   lie N          asks the serving one to emit N ActiveChanged signals whose argument
//                  alternates, starting with the opposite of its state, which stays as it is
//   forge N        emits N such signals (false, true, false, ...) from a connection of its own
//                  that does not own the name
// Both lie and forge end once the bus has passed every signal on, so whatever a test does
// after them reaches the program later.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QObject>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPath = QStringLiteral("/org/freedesktop/ScreenSaver");

}  // namespace

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
    bool Lie(int count) {
        for (int i = 0; i < count; ++i) {
            emit ActiveChanged(i % 2 == 0 ? !active_ : active_);
        }
        return true;
    }

signals:
    void ActiveChanged(bool active);

private:
    bool active_ = false;
};

namespace {

// A method of the serving screen saver, waited for.
int CallServing(QDBusConnection& bus, const QString& method, const QVariant& argument) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, method);
    call << argument;
    const QDBusMessage reply = bus.call(call);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        std::fprintf(stderr, "%s\n", qPrintable(reply.errorMessage()));
        return 1;
    }
    return 0;
}

int Forge(QDBusConnection& bus, int count) {
    for (int i = 0; i < count; ++i) {
        QDBusMessage signal =
            QDBusMessage::createSignal(kPath, kService, QStringLiteral("ActiveChanged"));
        signal << (i % 2 != 0);
        bus.send(signal);
    }
    // The bus handles one connection's messages in order: its answer comes after the signals
    // have gone on.
    return bus.interface()->isServiceRegistered(kService).isValid() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "no session bus\n");
        return 1;
    }
    if (argc == 2 && std::strcmp(argv[1], "serve") == 0) {
        ScreenSaver screenSaver;
        if (!bus.registerObject(
                kPath, &screenSaver,
                QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) ||
            !bus.registerService(kService)) {
            std::fprintf(stderr, "cannot own %s\n", qPrintable(kService));
            return 1;
        }
        std::printf("serving\n");
        std::fflush(stdout);
        return QCoreApplication::exec();
    }
    if (argc == 3 && std::strcmp(argv[1], "set") == 0) {
        return CallServing(bus, QStringLiteral("SetActive"), std::strcmp(argv[2], "true") == 0);
    }
    if (argc == 3 && std::strcmp(argv[1], "lie") == 0) {
        return CallServing(bus, QStringLiteral("Lie"), std::atoi(argv[2]));
    }
    if (argc == 3 && std::strcmp(argv[1], "forge") == 0) {
        return Forge(bus, std::atoi(argv[2]));
    }
    std::fprintf(stderr, "usage: %s serve | set true|false | lie N | forge N\n", argv[0]);
    return 2;
}

#include "ScreenSaverService.moc"
