#include "desktop/TopWindow.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <algorithm>

namespace {

// Dialogs only: the tray icon's own window, menus, tool tips and the splash are no place for a
// question.
bool IsDialogWindow(QObject* object) {
    auto* dialog = qobject_cast<QDialog*>(object);
    return dialog != nullptr && dialog->isWindow() &&
           !dialog->windowFlags().testFlag(Qt::SplashScreen);
}

}  // namespace

TopWindow::TopWindow() {
    if (QCoreApplication* application = QCoreApplication::instance()) {
        application->installEventFilter(this);
    }
}

QWidget* TopWindow::Current() const {
    if (QWidget* modal = QApplication::activeModalWidget();
        modal != nullptr && modal->isVisible()) {
        return modal;
    }
    for (auto window = order_.rbegin(); window != order_.rend(); ++window) {
        if (*window && (*window)->isVisible() && !(*window)->isMinimized()) {
            return *window;
        }
    }
    return nullptr;
}

bool TopWindow::eventFilter(QObject* watched, QEvent* event) {
    if ((event->type() == QEvent::Show || event->type() == QEvent::WindowActivate) &&
        IsDialogWindow(watched)) {
        auto* window = static_cast<QWidget*>(watched);
        std::erase_if(order_, [window](const QPointer<QWidget>& seen) {
            return seen.isNull() || seen.data() == window;
        });
        order_.emplace_back(window);
    }
    return false;
}
