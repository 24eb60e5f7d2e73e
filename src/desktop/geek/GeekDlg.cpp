#include "desktop/geek/GeekDlg.h"

#include <QBitmap>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <algorithm>
#include <utility>

#include "counting/AppRecord.h"
#include "geek/GeekWindowPlace.h"

namespace {

QColor ColourOf(std::int32_t red, std::int32_t green, std::int32_t blue) {
    const std::uint32_t rgb = GeekSkin::Rgb(red, green, blue);
    return QColor(static_cast<int>(rgb >> 16 & 0xFF), static_cast<int>(rgb >> 8 & 0xFF),
                  static_cast<int>(rgb & 0xFF));
}

// "Arial" with a cell (ascent + descent) of 14 pixels. Where Arial is not installed,
// fontconfig gives a metric-compatible sans (Liberation Sans), else DejaVu Sans.
QFont GeekFont() {
    constexpr int kCellHeight = 14;
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setWeight(QFont::Normal);
    // The largest pixel size whose cell fits, as a cell height asks for.
    for (int size = kCellHeight; size > 1; --size) {
        font.setPixelSize(size);
        const QFontMetrics metrics(font);
        if (metrics.ascent() + metrics.descent() <= kCellHeight) {
            break;
        }
    }
    return font;
}

}  // namespace

CGeekDlg::CGeekDlg(AppRecord& record, std::function<std::int32_t()> secondsTilSkeld,
                   QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      record_(record),
      secondsTilSkeld_(std::move(secondsTilSkeld)),
      showNextSkeld_(record.Prefs.GeekViewNP != 0),
      transparency_(GeekSkin::Transparency::From(record.Prefs.GeekTrans)),
      background_(ColourOf(record.Prefs.GeekBGr, record.Prefs.GeekBGg, record.Prefs.GeekBGb)),
      labelColour_(ColourOf(record.Prefs.GeekFr, record.Prefs.GeekFg, record.Prefs.GeekFb)),
      valueColour_(ColourOf(record.Prefs.GeekVr, record.Prefs.GeekVg, record.Prefs.GeekVb)),
      font_(GeekFont()) {
    setWindowTitle(QStringLiteral("Kestrovin"));
    setObjectName(QStringLiteral("GeekWindow"));
    setModal(false);
    // Every pixel is painted each time, so the background is never erased first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    // The skin's size is the picture's: what the user sees, whatever frame the window manager
    // adds around it (a frame taken out of it would cut off the last lines). It opens on the
    // screen whatever the settings say; they keep what they say.
    const QPoint stored(record.Prefs.GeekLastX, record.Prefs.GeekLastY);
    const QScreen* screen = QGuiApplication::screenAt(stored);
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    GeekWindowPlace place{record.Prefs.GeekLastX, record.Prefs.GeekLastY, record.Prefs.GeekWidth,
                          record.Prefs.GeekHeight};
    if (screen != nullptr) {
        const QRect available = screen->availableGeometry();
        place = GeekWindowPlace::Fit(
            place, {available.x(), available.y(), available.width(), available.height()});
    } else {
        place = GeekWindowPlace::Fit(place, {place.X, place.Y, 1 << 15, 1 << 15});
    }
    openedAt_ = QPoint(static_cast<int>(place.X), static_cast<int>(place.Y));
    move(openedAt_);
    resize(static_cast<int>(place.Width), static_cast<int>(place.Height));
    if (transparency_.Layered) {
        // Shown only where a compositor runs; elsewhere the window stays opaque.
        setWindowOpacity(transparency_.Alpha / 255.0);
    }

    shown_ = GeekPicture::Of(record_.Account, record_.Prefs, showNextSkeld_, secondsTilSkeld_);
    refreshTimer_.setInterval(RefreshMs);
    positionTimer_.setInterval(PositionSampleMs);
    connect(&refreshTimer_, &QTimer::timeout, this, &CGeekDlg::Refresh);
    connect(&positionTimer_, &QTimer::timeout, this, &CGeekDlg::SamplePosition);
    refreshTimer_.start();
    positionTimer_.start();
}

CGeekDlg* CGeekDlg::OpenOnce(bool& open, AppRecord& record,
                             std::function<std::int32_t()> secondsTilSkeld) {
    if (open) {
        return nullptr;
    }
    open = true;
    auto* window = new CGeekDlg(record, std::move(secondsTilSkeld));
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &QObject::destroyed, [&open] { open = false; });
    window->show();
    return window;
}

void CGeekDlg::Refresh() {
    GeekPicture now =
        GeekPicture::Of(record_.Account, record_.Prefs, showNextSkeld_, secondsTilSkeld_);
    if (now == shown_) {
        return;  // the same picture again: nothing to draw
    }
    shown_ = std::move(now);
    update();
}

void CGeekDlg::SamplePosition() {
    // Until the user moves it, the stored place stays, even where it was off the screen.
    if (pos() == openedAt_) {
        return;
    }
    record_.Prefs.GeekLastX = pos().x();
    record_.Prefs.GeekLastY = pos().y();
}

void CGeekDlg::paintEvent(QPaintEvent*) {
    ++paints_;
    // Drawn into an image first: the picture also gives the colour-key mask.
    QImage picture(size(), QImage::Format_RGB32);
    {
        QPainter painter(&picture);
        painter.fillRect(picture.rect(), background_);
        painter.setFont(font_);
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(background_);
        const QFontMetrics metrics(font_);
        const auto width = [&metrics](const std::string& text) {
            return metrics.horizontalAdvance(QString::fromStdString(text));
        };
        for (const GeekPicture::PlacedText& text : shown_.Place(width)) {
            painter.setPen(text.IsLabel ? labelColour_ : valueColour_);
            painter.drawText(text.X, text.Y + metrics.ascent(), QString::fromStdString(text.Text));
        }
    }
    QPainter(this).drawImage(0, 0, picture);
    if (transparency_.Layered) {
        UpdateColourKeyMask(picture);
    }
}

void CGeekDlg::UpdateColourKeyMask(const QImage& picture) {
    const QBitmap keyed = QBitmap::fromImage(
        picture.createMaskFromColor(GeekSkin::ColourKey | 0xFF000000u, Qt::MaskOutColor));
    const QRegion shown(keyed);
    if (shown != mask()) {
        setMask(shown);
    }
}

void CGeekDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            close();
            return;
        default:
            QDialog::keyPressEvent(event);
    }
}
