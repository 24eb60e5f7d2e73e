// kestrovin-bare-tray: the floor for being a Qt tray program. One QSystemTrayIcon with the
// program's own normal picture, shown, and nothing else; SIGTERM ends it.
#include <QApplication>
#include <QIcon>
#include <QSystemTrayIcon>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QIcon picture;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        picture.addFile(QStringLiteral(":/icons/tray-normal-%1.png").arg(size), QSize(size, size));
    }
    QSystemTrayIcon icon(picture);
    icon.show();
    return QApplication::exec();
}
