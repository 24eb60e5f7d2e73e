// kestrovin: the tray program that counts the desktop's keystrokes, clicks and mouse travel.
#include <QApplication>

#include "platform/x11/XlibThreads.h"
#include "shell/SkeldApp.h"

int main(int argc, char** argv) {
    EnableXlibThreads();  // before Qt or anything else talks to the X server
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrovin"));
    QApplication::setQuitOnLastWindowClosed(false);  // dialogs come and go; the tray stays

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
