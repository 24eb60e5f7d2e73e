// kestrovin-test-sni-host: a small StatusNotifierItem host for desktop tests, on the session
// bus that DBUS_SESSION_BUS_ADDRESS names.
//
//   watch            owns org.kde.StatusNotifierWatcher (with a host registered) and
//                    org.freedesktop.Notifications; prints "item SERVICE" for each item that
//                    registers and "notify SUMMARY<TAB>BODY" for each notification; runs until
//                    it is ended
//   menu             asks the registered item's menu to update itself (AboutToShow), then
//                    prints its layout: one line per item, indented two spaces per level, the
//                    label without mnemonics, "---" for a separator, " (disabled)" when greyed
//   layout           prints the layout as above without asking the menu to update itself
//                    first: what a panel holds between openings and lays the menu out from
//   click LABEL      as a panel does when the user picks the item with this label (without
//                    mnemonics): AboutToShow for the menu and each submenu on the way, then the
//                    "clicked" event; exit status 2 when the item is greyed, 1 when missing
//   activate         a left click on the icon: Activate(0, 0)
//   host-ready       exit status 0 when a host (this one or a panel) is registered with the
//                    watcher
#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusVariant>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <cstdio>
#include <optional>

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");
constexpr int kCallTimeoutMs = 60000;  // the program may be busy with a skeld

void PrintLine(const QString& line) {
    std::printf("%s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

}  // namespace

class Watcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ RegisteredStatusNotifierItems)

public:
    bool IsStatusNotifierHostRegistered() const { return true; }
    int ProtocolVersion() const { return 0; }
    QStringList RegisteredStatusNotifierItems() const { return items_; }

public slots:
    void RegisterStatusNotifierItem(const QString& service) {
        items_.removeAll(service);
        items_.append(service);
        PrintLine(QStringLiteral("item ") + service);
        emit StatusNotifierItemRegistered(service);
    }
    void RegisterStatusNotifierHost(const QString&) {}

signals:
    void StatusNotifierItemRegistered(const QString& service);

private:
    QStringList items_;
};

class Notifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap&, int) {
        QString oneLine = body;
        oneLine.replace('\n', ' ');
        PrintLine(QStringLiteral("notify ") + summary + '\t' + oneLine);
        return ++lastId_;
    }
    QStringList GetCapabilities() { return {QStringLiteral("body")}; }
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion) {
        vendor = QStringLiteral("test");
        version = QStringLiteral("1");
        specVersion = QStringLiteral("1.2");
        return QStringLiteral("kestrovin-test-sni-host");
    }
    void CloseNotification(uint) {}

private:
    uint lastId_ = 0;
};

namespace {

struct MenuItem {
    int Id = 0;
    QVariantMap Properties;
    QList<MenuItem> Children;

    QString Label() const {
        // "_" marks a mnemonic, "__" is a plain underscore.
        const QString marked = Properties.value(QStringLiteral("label")).toString();
        QString plain;
        for (int i = 0; i < marked.size(); ++i) {
            if (marked[i] == '_' && i + 1 < marked.size()) {
                ++i;
            }
            plain += marked[i];
        }
        return plain;
    }
    bool Enabled() const { return Properties.value(QStringLiteral("enabled"), true).toBool(); }
    bool Separator() const {
        return Properties.value(QStringLiteral("type")).toString() == QStringLiteral("separator");
    }
};

void ReadItem(const QDBusArgument& argument, MenuItem& item) {
    argument.beginStructure();
    argument >> item.Id >> item.Properties;
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        MenuItem childItem;
        ReadItem(child.variant().value<QDBusArgument>(), childItem);
        item.Children.append(childItem);
    }
    argument.endArray();
    argument.endStructure();
}

struct Item {
    QString Service;
    QString Path;
};

// The newest item the watcher knows. Watchers list an item as its bus name, or as its bus
// name followed by its object path.
std::optional<Item> FindItem(QDBusConnection& bus) {
    QDBusInterface watcher(kWatcherService, kWatcherPath, kWatcherService, bus);
    const QStringList items = watcher.property("RegisteredStatusNotifierItems").toStringList();
    if (items.isEmpty()) {
        std::fprintf(stderr, "no item registered\n");
        return std::nullopt;
    }
    const QString& entry = items.last();
    const qsizetype slash = entry.indexOf('/');
    if (slash < 0) {
        return Item{entry, QStringLiteral("/StatusNotifierItem")};
    }
    return Item{entry.left(slash), entry.mid(slash)};
}

std::optional<Item> FindMenu(QDBusConnection& bus) {
    const std::optional<Item> item = FindItem(bus);
    if (!item) {
        return std::nullopt;
    }
    QDBusInterface properties(item->Service, item->Path,
                              QStringLiteral("org.kde.StatusNotifierItem"), bus);
    const QString path = properties.property("Menu").value<QDBusObjectPath>().path();
    if (path.isEmpty() || path == QStringLiteral("/NO_DBUSMENU")) {
        std::fprintf(stderr, "the item exports no menu (%s)\n", path.toUtf8().constData());
        return std::nullopt;
    }
    return Item{item->Service, path};
}

bool AboutToShow(QDBusInterface& menu, int id) {
    const QDBusMessage reply = menu.call(QStringLiteral("AboutToShow"), id);
    return reply.type() == QDBusMessage::ReplyMessage;
}

std::optional<MenuItem> Layout(QDBusInterface& menu) {
    const QDBusMessage reply = menu.call(QStringLiteral("GetLayout"), 0, -1, QStringList());
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() < 2) {
        std::fprintf(stderr, "GetLayout failed: %s\n", reply.errorMessage().toUtf8().constData());
        return std::nullopt;
    }
    MenuItem root;
    ReadItem(reply.arguments().at(1).value<QDBusArgument>(), root);
    return root;
}

void PrintItems(const MenuItem& parent, int depth) {
    for (const MenuItem& item : parent.Children) {
        QString line(depth * 2, ' ');
        line += item.Separator() ? QStringLiteral("---") : item.Label();
        if (!item.Separator() && !item.Enabled()) {
            line += QStringLiteral(" (disabled)");
        }
        PrintLine(line);
        PrintItems(item, depth + 1);
    }
}

// The ids from the top menu down to the item with this label, the item's last.
bool FindPath(const MenuItem& parent, const QString& label, QList<int>& path) {
    for (const MenuItem& item : parent.Children) {
        path.append(item.Id);
        if ((!item.Separator() && item.Label() == label) || FindPath(item, label, path)) {
            return true;
        }
        path.removeLast();
    }
    return false;
}

const MenuItem* ById(const MenuItem& parent, int id) {
    for (const MenuItem& item : parent.Children) {
        if (item.Id == id) {
            return &item;
        }
        if (const MenuItem* found = ById(item, id)) {
            return found;
        }
    }
    return nullptr;
}

int RunWatch(QCoreApplication& application, QDBusConnection& bus) {
    Watcher watcher;
    Notifications notifications;
    if (!bus.registerObject(kWatcherPath, &watcher,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                                QDBusConnection::ExportAllProperties) ||
        !bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &notifications,
                            QDBusConnection::ExportAllSlots) ||
        !bus.registerService(QStringLiteral("org.freedesktop.Notifications")) ||
        !bus.registerService(kWatcherService)) {
        std::fprintf(stderr, "cannot take the watcher's names: %s\n",
                     bus.lastError().message().toUtf8().constData());
        return 1;
    }
    PrintLine(QStringLiteral("watching"));
    return application.exec();
}

int RunMenu(QDBusConnection& bus, const QString& clickLabel, bool update = true) {
    const std::optional<Item> found = FindMenu(bus);
    if (!found) {
        return 1;
    }
    QDBusInterface menu(found->Service, found->Path, kMenuInterface, bus);
    menu.setTimeout(kCallTimeoutMs);
    if (update && !AboutToShow(menu, 0)) {
        std::fprintf(stderr, "AboutToShow failed\n");
        return 1;
    }
    std::optional<MenuItem> root = Layout(menu);
    if (!root) {
        return 1;
    }
    if (clickLabel.isEmpty()) {
        PrintItems(*root, 0);
        return 0;
    }
    QList<int> path;
    if (!FindPath(*root, clickLabel, path)) {
        std::fprintf(stderr, "no item \"%s\" in the menu\n", clickLabel.toUtf8().constData());
        PrintItems(*root, 0);
        return 1;
    }
    // Open the submenus on the way, as a panel does, and read the layout they then have.
    for (int i = 0; i + 1 < path.size(); ++i) {
        AboutToShow(menu, path[i]);
    }
    root = Layout(menu);
    const MenuItem* item = root ? ById(*root, path.last()) : nullptr;
    if (item == nullptr) {
        return 1;
    }
    if (!item->Enabled()) {
        PrintLine(QStringLiteral("disabled"));
        return 2;
    }
    const QDBusMessage reply =
        menu.call(QStringLiteral("Event"), item->Id, QStringLiteral("clicked"),
                  QVariant::fromValue(QDBusVariant(QVariant(0))), 0u);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        std::fprintf(stderr, "Event failed: %s\n", reply.errorMessage().toUtf8().constData());
        return 1;
    }
    PrintLine(QStringLiteral("clicked"));
    return 0;
}

int RunActivate(QDBusConnection& bus) {
    const std::optional<Item> found = FindItem(bus);
    if (!found) {
        return 1;
    }
    QDBusInterface item(found->Service, found->Path, QStringLiteral("org.kde.StatusNotifierItem"),
                        bus);
    item.setTimeout(kCallTimeoutMs);
    const QDBusMessage reply = item.call(QStringLiteral("Activate"), 0, 0);
    if (reply.type() != QDBusMessage::ReplyMessage) {
        std::fprintf(stderr, "Activate failed: %s\n", reply.errorMessage().toUtf8().constData());
        return 1;
    }
    return 0;
}

// Whether a host is registered with the watcher, as programs ask before they show an icon.
int RunHostReady(QDBusConnection& bus) {
    QDBusInterface watcher(kWatcherService, kWatcherPath, kWatcherService, bus);
    return watcher.isValid() && watcher.property("IsStatusNotifierHostRegistered").toBool() ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "no session bus: %s\n",
                     bus.lastError().message().toUtf8().constData());
        return 1;
    }
    const QString command = arguments.value(1);
    if (command == QStringLiteral("watch")) {
        return RunWatch(application, bus);
    }
    if (command == QStringLiteral("menu")) {
        return RunMenu(bus, {});
    }
    if (command == QStringLiteral("layout")) {
        return RunMenu(bus, {}, false);
    }
    if (command == QStringLiteral("click") && arguments.size() == 3) {
        return RunMenu(bus, arguments.at(2));
    }
    if (command == QStringLiteral("activate")) {
        return RunActivate(bus);
    }
    if (command == QStringLiteral("host-ready")) {
        return RunHostReady(bus);
    }
    std::fprintf(stderr,
                 "usage: kestrovin-test-sni-host watch | menu | layout | click LABEL | activate | "
                 "host-ready\n");
    return 2;
}

#include "StatusNotifierHost.moc"
