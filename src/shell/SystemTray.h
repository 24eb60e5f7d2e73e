#pragma once

#include <QObject>
#include <QPoint>
#include <QSystemTrayIcon>
#include <map>
#include <optional>

#include "shell/TrayIconPort.h"

// The notification-area icon: its picture, tooltip and balloons, and the mouse actions on it.
// Where no tray exists yet (a program started with the session may come up before the panel)
// it waits and shows itself as soon as one appears.
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

    bool IsVisible() const { return icon_.isVisible(); }
    static QIcon IconFor(TrayIconId icon);

signals:
    void RightButtonReleased(QPoint globalPosition);
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

    QSystemTrayIcon icon_;
    // Made once: a new QIcon would read and scale its pictures again at every change.
    std::map<TrayIconId, QIcon> pictures_;
    TrayIconId current_ = TrayIconId::Normal;
    bool created_ = false;
    std::optional<Balloon> waitingBalloon_;
};
