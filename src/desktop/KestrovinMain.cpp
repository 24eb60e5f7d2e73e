// kestrovin: the tray program that counts the desktop's keystrokes, clicks and mouse travel.
#include <QApplication>
#include <QGuiApplication>
#include <QIcon>

#include "desktop/SkeldApp.h"
#include "platform/x11/XkbStateSelection.h"
#include "platform/x11/XlibThreads.h"

int main(int argc, char** argv) {
    EnableXlibThreads();  // before Qt or anything else talks to the X server
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrovin"));
    QApplication::setQuitOnLastWindowClosed(false);  // dialogs come and go; the tray stays
    // Every window carries the program's icon (_NET_WM_ICON) for title bars, task lists and
    // window switchers. The sizes they draw lie between 16 and 128 pixels; each size given is
    // sent with every window, so the larger pictures stay out.
    QIcon icon;
    for (const int size : {48, 64, 128}) {
        icon.addFile(QStringLiteral(":/icons/kestrovin-%1.png").arg(size), QSize(size, size));
    }
    QApplication::setWindowIcon(icon);
    // Qt asks for every XKB state change, which wakes it for each click anywhere on the desktop;
    // its windows only need the modifiers and the group. Without it Qt just keeps waking.
    if (const auto* x11 = application.nativeInterface<QNativeInterface::QX11Application>()) {
        XkbStateSelection::KeepTypingPartsOnly(x11->display());
    }

    int result = 0;
    {
        CSkeldApp app;
        if (app.InitInstance()) {
            result = QApplication::exec();
        }
        app.ExitInstance();
    }
    return result;
}
