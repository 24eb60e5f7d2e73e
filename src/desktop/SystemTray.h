#pragma once

#include <QObject>
#include <QPoint>
#include <QSystemTrayIcon>
#include <map>
#include <optional>

class QMenu;

#include "ports/TrayIconPort.h"

// The notification-area icon: its picture, tooltip, balloons and menu, and the mouse actions
// on it. Where no tray exists yet (a program started with the session may come up before the
// panel) it waits and shows itself as soon as one appears.
//
// Qt docks the icon in one of two kinds of tray, chosen once when the icon is made: a
// StatusNotifierItem host on the session bus when one is registered, otherwise an XEmbed
// tray. The first kind shows the menu itself (Qt exports it over D-Bus) and reports a left
// click as a single "activate", never as a double click.
class CSystemTray final : public QObject {
    Q_OBJECT

public:
    explicit CSystemTray(QObject* parent = nullptr);

    // Shows the icon with this picture and tooltip (or waits for a tray to appear).
    void Create(TrayIconId icon, const QString& tooltip);
    void SetIcon(TrayIconId icon);
    void SetTooltipText(const QString& text);
    // Shows the balloon at the icon; while the icon waits for a tray, the latest balloon waits
    // with it and shows once the icon does.
    void ShowBalloon(const QString& title, const QString& text, int timeoutSeconds);
    // Removes the icon and adds it again, with its current picture and tooltip.
    void RefreshIcon();

    // The tray menu. A StatusNotifierItem host gets it at once and shows it itself; in an
    // XEmbed tray the owner pops it up on RightButtonReleased.
    void SetMenu(QMenu* menu);

    bool IsVisible() const { return icon_.isVisible(); }
    bool UsesStatusNotifierHost() const { return statusNotifier_; }
    static QIcon IconFor(TrayIconId icon);

signals:
    void RightButtonReleased(QPoint globalPosition);
    // A double click, or where the tray reports no double clicks, the single activating click.
    void LeftButtonDoubleClicked();
    // A tray appeared after the icon had to wait for one.
    void TrayAppeared();

private:
    void OnActivated(QSystemTrayIcon::ActivationReason reason);
    void ShowWhenTrayExists();
    void ShowWaitingBalloon();

    struct Balloon {
        QString Title;
        QString Text;
        int TimeoutSeconds = 0;
    };

    // Asked before the icon is made, as Qt asks when it makes it.
    bool statusNotifier_;
    QSystemTrayIcon icon_;
    // Made once: a new QIcon would read and scale its pictures again at every change.
    std::map<TrayIconId, QIcon> pictures_;
    TrayIconId current_ = TrayIconId::Normal;
    bool created_ = false;
    std::optional<Balloon> waitingBalloon_;
};
