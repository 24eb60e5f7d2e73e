#pragma once

#include <QLabel>

// A plain text that reports a left click, as the About page's version number does.
class CClickableLabel final : public QLabel {
    Q_OBJECT

public:
    using QLabel::QLabel;

signals:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
