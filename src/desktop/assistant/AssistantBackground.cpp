#include "desktop/assistant/AssistantBackground.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

QPixmap DrawAssistantBackground(QSize size) {
    QPixmap picture(size);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient wash(0, 0, 0, size.height());
    wash.setColorAt(0.0, QColor(0xf7, 0xf9, 0xfc));
    wash.setColorAt(1.0, QColor(0xe3, 0xeb, 0xf5));
    painter.fillRect(picture.rect(), wash);

    // A row of key caps fading out towards the left, behind the buttons' row.
    const int cap = 26;
    const int gap = 6;
    const int top = size.height() - 2 * (cap + gap) - 8;
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 14; ++column) {
            const int x = size.width() - (column + 1) * (cap + gap) - row * (cap / 2);
            if (x < -cap) {
                break;
            }
            const int alpha = std::max(8, 46 - column * 3);
            painter.setPen(QPen(QColor(0x5a, 0x74, 0x96, alpha + 20), 1));
            painter.setBrush(QColor(0xff, 0xff, 0xff, alpha * 2));
            painter.drawRoundedRect(QRectF(x, top + row * (cap + gap), cap, cap), 4, 4);
        }
    }

    // The pointer's travel: a gentle curve across the upper right.
    QPainterPath trail;
    trail.moveTo(size.width() * 0.45, size.height() * 0.10);
    trail.cubicTo(size.width() * 0.70, size.height() * 0.02, size.width() * 0.85,
                  size.height() * 0.30, size.width() - 12.0, size.height() * 0.18);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0x3d, 0x7c, 0xc9, 40), 3, Qt::DashLine, Qt::RoundCap));
    painter.drawPath(trail);
    return picture;
}
