#include "desktop/dialogs/HyperLink.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>

#include "ports/UserPort.h"

CHyperLink::CHyperLink(const QString& text, std::string url, UserPort& user, QWidget* parent)
    : QLabel(text, parent),
      url_(std::move(url)),
      user_(user),
      opener_([](const std::string& address) {
          return QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
      }) {
    setCursor(Qt::PointingHandCursor);
    setToolTip(QString::fromStdString(url_));
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    Recolour();
}

QColor CHyperLink::Colour() const {
    if (hover_) {
        return QColor(255, 0, 0);
    }
    return visited_ ? QColor(85, 26, 139) : QColor(0, 0, 238);
}

void CHyperLink::Open() {
    if (opener_(url_)) {
        visited_ = true;
        Recolour();
        return;
    }
    QApplication::beep();
    user_.ShowMessage(FailureMessage);
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Open();
    }
    QLabel::mouseReleaseEvent(event);
}

void CHyperLink::enterEvent(QEnterEvent* event) {
    hover_ = true;
    Recolour();
    QLabel::enterEvent(event);
}

void CHyperLink::leaveEvent(QEvent* event) {
    hover_ = false;
    Recolour();
    QLabel::leaveEvent(event);
}

void CHyperLink::Recolour() {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, Colour());
    setPalette(colours);
}
