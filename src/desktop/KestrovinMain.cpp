// kestrovin: the tray program that counts the desktop's keystrokes, clicks and mouse travel.
#include <QApplication>
#include <QGuiApplication>
#include <QIcon>
#include <cstring>
#include <iostream>

#include "desktop/SkeldApp.h"
#include "platform/x11/XkbStateSelection.h"
#include "platform/x11/XlibThreads.h"

namespace {

constexpr const char* kUsage =
    "Usage: kestrovin [--help | --version]\n"
    "\n"
    "Kestrovin counts the keystrokes, mouse clicks and mouse travel of the whole desktop,\n"
    "keeps a tally per key and from time to time uploads (skelds) the new counts to a\n"
    "statistics server. It lives in the system tray: every action is in the menu of its\n"
    "icon, and kestrovin-cli does the same from a terminal. Qt's own options (such as\n"
    "-platform NAME or -display DISPLAY) are taken too.\n"
    "\n"
    "Options:\n"
    "  --help     show this text\n"
    "  --version  show the version\n";

}  // namespace

int main(int argc, char** argv) {
    // Answered before Qt starts, so that neither needs a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::cout << kUsage;
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::cout << "kestrovin " KESTROVIN_VERSION "\n";
            return 0;
        }
    }
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
