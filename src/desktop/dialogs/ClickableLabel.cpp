#include "desktop/dialogs/ClickableLabel.h"

#include <QMouseEvent>

void CClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit Clicked();
    }
    QLabel::mouseReleaseEvent(event);
}
