// kestrovin-test-a11y: reads what a window shows through the desktop's accessibility bus
// (AT-SPI), as a screen reader does, for desktop tests on a private session bus.
//
//   kestrovin-test-a11y TITLE   prints the name of every object inside the top-level window
//                               with this title, one a line, depth first, each after its
//                               role ("tree item: 12"); exit status 1 when no such window
//                               is there (yet), 2 when there is no accessibility bus
//
// Programs only show themselves there when accessibility is on: Qt's with
// QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1.
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QList>
#include <QString>
#include <cstdio>

namespace {

constexpr int kCallTimeoutMs = 10000;
constexpr int kDeepest = 12;
const QString kAccessible = QStringLiteral("org.a11y.atspi.Accessible");

// An object on the accessibility bus: the connection that serves it and its path.
struct Reference {
    QString Service;
    QDBusObjectPath Path;
};

QDBusArgument& operator<<(QDBusArgument& argument, const Reference& reference) {
    argument.beginStructure();
    argument << reference.Service << reference.Path;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, Reference& reference) {
    argument.beginStructure();
    argument >> reference.Service >> reference.Path;
    argument.endStructure();
    return argument;
}

}  // namespace

Q_DECLARE_METATYPE(Reference)

namespace {

QDBusMessage Call(QDBusConnection& bus, const Reference& object, const QString& method,
                  const QVariantList& arguments = {}, const QString& interface = kAccessible) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(object.Service, object.Path.path(), interface, method);
    call.setArguments(arguments);
    return bus.call(call, QDBus::Block, kCallTimeoutMs);
}

QList<Reference> Children(QDBusConnection& bus, const Reference& object) {
    const QDBusMessage reply = Call(bus, object, QStringLiteral("GetChildren"));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return {};
    }
    return qdbus_cast<QList<Reference>>(reply.arguments().front());
}

QString Name(QDBusConnection& bus, const Reference& object) {
    const QDBusMessage reply =
        Call(bus, object, QStringLiteral("Get"), {kAccessible, QStringLiteral("Name")},
             QStringLiteral("org.freedesktop.DBus.Properties"));
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return {};
    }
    return qdbus_cast<QDBusVariant>(reply.arguments().front()).variant().toString();
}

QString Role(QDBusConnection& bus, const Reference& object) {
    const QDBusMessage reply = Call(bus, object, QStringLiteral("GetRoleName"));
    return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
               ? reply.arguments().front().toString()
               : QString();
}

void PrintTree(QDBusConnection& bus, const Reference& object, int depth) {
    for (const Reference& child : Children(bus, object)) {
        const QString name = Name(bus, child);
        if (!name.isEmpty()) {
            std::printf("%s: %s\n", Role(bus, child).toUtf8().constData(),
                        name.toUtf8().constData());
        }
        if (depth < kDeepest) {
            PrintTree(bus, child, depth + 1);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kestrovin-test-a11y TITLE\n");
        return 2;
    }
    const QString title = QString::fromLocal8Bit(argv[1]);
    qDBusRegisterMetaType<Reference>();
    qDBusRegisterMetaType<QList<Reference>>();

    // The accessibility bus is a bus of its own, whose address the session bus hands out.
    const QDBusReply<QString> address = QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(
            QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
            QStringLiteral("org.a11y.Bus"), QStringLiteral("GetAddress")),
        QDBus::Block, kCallTimeoutMs);
    if (!address.isValid()) {
        std::fprintf(stderr, "kestrovin-test-a11y: no accessibility bus: %s\n",
                     address.error().message().toUtf8().constData());
        return 2;
    }
    QDBusConnection bus = QDBusConnection::connectToBus(address.value(), QStringLiteral("a11y"));
    if (!bus.isConnected()) {
        std::fprintf(stderr, "kestrovin-test-a11y: cannot connect to %s\n",
                     address.value().toUtf8().constData());
        return 2;
    }

    // The registry lists the applications; each lists its top-level windows.
    const Reference desktop{QStringLiteral("org.a11y.atspi.Registry"),
                            QDBusObjectPath(QStringLiteral("/org/a11y/atspi/accessible/root"))};
    for (const Reference& program : Children(bus, desktop)) {
        for (const Reference& window : Children(bus, program)) {
            if (Name(bus, window) == title) {
                PrintTree(bus, window, 0);
                return 0;
            }
        }
    }
    return 1;
}
