#include "desktop/dialogs/SplashWnd.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <utility>

namespace {

// Key and button presses end the splash; releases, moves and the wheel do not.
bool IsPress(const QEvent& event) {
    switch (event.type()) {
        case QEvent::KeyPress:
        // A press that matches a shortcut arrives as the shortcut, never as a key press.
        case QEvent::Shortcut:
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::NonClientAreaMouseButtonPress: {
            const Qt::MouseButton button = static_cast<const QMouseEvent&>(event).button();
            return button == Qt::LeftButton || button == Qt::RightButton ||
                   button == Qt::MiddleButton;
        }
        default:
            return false;
    }
}

}  // namespace

CSplashWnd::CSplashWnd(QPixmap picture, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(std::move(picture)) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::ArrowCursor);
    setFixedSize(picture_.deviceIndependentSize().toSize());

    const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        QRect placed(QPoint(), size());
        placed.moveCenter(screen->geometry().center());
        move(placed.topLeft());
    }

    timer_.setSingleShot(true);
    timer_.setInterval(DurationMs);
    connect(&timer_, &QTimer::timeout, this, &CSplashWnd::HideSplashScreen);
    timer_.start();
    qApp->installEventFilter(this);
}

CSplashWnd::~CSplashWnd() {
    if (current_ == this) {
        current_ = nullptr;
    }
}

void CSplashWnd::EnableSplashScreen(bool enable) {
    enabled_ = enable;
}

void CSplashWnd::ShowSplashScreen(QWidget* parent) {
    if (!enabled_ || current_ != nullptr) {
        return;
    }
    QPixmap picture(QString::fromLatin1(PicturePath));
    if (picture.isNull()) {
        return;
    }
    current_ = new CSplashWnd(std::move(picture), parent);
    current_->show();
    // Drawn now: start-up goes on before the event loop runs.
    current_->repaint();
}

CSplashWnd* CSplashWnd::Current() {
    return current_;
}

void CSplashWnd::HideSplashScreen() {
    if (current_ == this) {
        current_ = nullptr;
    }
    timer_.stop();
    qApp->removeEventFilter(this);
    hide();
    deleteLater();
}

void CSplashWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}

bool CSplashWnd::eventFilter(QObject* watched, QEvent* event) {
    if (current_ == this && IsPress(*event)) {
        HideSplashScreen();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
