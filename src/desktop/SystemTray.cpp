#include "desktop/SystemTray.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QEvent>
#include <QTimer>
#include <utility>

namespace {

// The tooltip a tray can show.
constexpr int kTooltipLimit = 127;

const char* BaseName(TrayIconId icon) {
    switch (icon) {
        case TrayIconId::Held:
            return "tray-held";
        case TrayIconId::Sending:
            return "tray-sending";
        case TrayIconId::Normal:
            break;
    }
    return "tray-normal";
}

// Whether Qt will dock a new icon with a StatusNotifierItem host: the question Qt's platform
// theme asks the session bus when it makes the icon.
bool StatusNotifierHostRegistered() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    QDBusInterface watcher(QStringLiteral("org.kde.StatusNotifierWatcher"),
                           QStringLiteral("/StatusNotifierWatcher"),
                           QStringLiteral("org.kde.StatusNotifierWatcher"), bus);
    return watcher.isValid() && watcher.property("IsStatusNotifierHostRegistered").toBool();
}

}  // namespace

CSystemTray::CSystemTray(QObject* parent)
    : QObject(parent), statusNotifier_(StatusNotifierHostRegistered()) {
    connect(&icon_, &QSystemTrayIcon::activated, this, &CSystemTray::OnActivated);
}

QIcon CSystemTray::IconFor(TrayIconId icon) {
    QIcon result;
    for (const int size : {16, 22, 24, 32, 48, 64}) {
        result.addFile(QStringLiteral(":/icons/%1-%2.png").arg(BaseName(icon)).arg(size),
                       QSize(size, size));
    }
    return result;
}

void CSystemTray::Create(TrayIconId icon, const QString& tooltip) {
    created_ = true;
    SetIcon(icon);
    SetTooltipText(tooltip);
    ShowWhenTrayExists();
}

void CSystemTray::ShowWhenTrayExists() {
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        icon_.show();
        if (waitingBalloon_) {
            // Once the event loop has docked the icon, so the balloon points at it.
            QTimer::singleShot(0, this, &CSystemTray::ShowWaitingBalloon);
        }
        return;
    }
    // Started before the panel: look again shortly instead of running without an icon.
    QTimer::singleShot(1000, this, [this] {
        const bool appeared = QSystemTrayIcon::isSystemTrayAvailable();
        ShowWhenTrayExists();
        if (appeared) {
            emit TrayAppeared();
        }
    });
}

void CSystemTray::SetIcon(TrayIconId icon) {
    if (icon == current_ && !icon_.icon().isNull()) {
        return;
    }
    current_ = icon;
    QIcon& picture = pictures_[icon];
    if (picture.isNull()) {
        picture = IconFor(icon);
    }
    icon_.setIcon(picture);
    if (icon == TrayIconId::Sending) {
        // The exchange that follows holds up the event loop, which would paint the picture
        // only once the exchange is over: paint it now.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    }
}

void CSystemTray::SetTooltipText(const QString& text) {
    const QString shown = text.left(kTooltipLimit);
    if (icon_.toolTip() != shown) {
        icon_.setToolTip(shown);
    }
}

void CSystemTray::ShowBalloon(const QString& title, const QString& text, int timeoutSeconds) {
    if (!icon_.isVisible()) {
        // Qt drops a balloon of a hidden icon.
        waitingBalloon_ = Balloon{title, text, timeoutSeconds};
        return;
    }
    icon_.showMessage(title, text, QSystemTrayIcon::NoIcon, timeoutSeconds * 1000);
}

void CSystemTray::ShowWaitingBalloon() {
    if (waitingBalloon_ && icon_.isVisible()) {
        const Balloon balloon = *std::exchange(waitingBalloon_, std::nullopt);
        ShowBalloon(balloon.Title, balloon.Text, balloon.TimeoutSeconds);
    }
}

void CSystemTray::RefreshIcon() {
    if (!created_) {
        return;
    }
    icon_.hide();
    ShowWhenTrayExists();
}

void CSystemTray::SetMenu(QMenu* menu) {
    if (statusNotifier_) {
        icon_.setContextMenu(menu);
    }
}

void CSystemTray::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
        case QSystemTrayIcon::Context:
            // An XEmbed right click, or a host that asks the program to show its own menu.
            emit RightButtonReleased(QCursor::pos());
            break;
        case QSystemTrayIcon::DoubleClick:
            emit LeftButtonDoubleClicked();
            break;
        case QSystemTrayIcon::Trigger:
            // In an XEmbed tray every left press triggers, the first of a double click too.
            if (statusNotifier_) {
                emit LeftButtonDoubleClicked();
            }
            break;
        default:
            break;
    }
}
