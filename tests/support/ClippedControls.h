#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QVariant>
#include <QWidget>
#include <string>
#include <vector>

// The visible texts, buttons and fields of a shown window that are smaller than they need to
// be or reach past the window's edge, each as its class and text; empty when all fit. A
// word-wrapped text needs the height of its lines at its width.
inline std::vector<std::string> ClippedControls(QWidget& window) {
    if (QLayout* layout = window.layout()) {
        layout->activate();
    }
    std::vector<std::string> clipped;
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        const auto* label = qobject_cast<const QLabel*>(control);
        const bool shownControl = label != nullptr ||
                                  qobject_cast<const QAbstractButton*>(control) != nullptr ||
                                  qobject_cast<const QLineEdit*>(control) != nullptr ||
                                  qobject_cast<const QComboBox*>(control) != nullptr;
        if (!shownControl || !control->isVisible()) {
            continue;
        }
        const QSize needed = label != nullptr && label->wordWrap()
                                 ? QSize(0, label->heightForWidth(label->width()))
                                 : control->minimumSizeHint();
        const QRect inWindow(control->mapTo(&window, QPoint(0, 0)), control->size());
        if (control->width() < needed.width() || control->height() < needed.height() ||
            !window.rect().contains(inWindow)) {
            clipped.push_back(std::string(control->metaObject()->className()) + " \"" +
                              control->property("text").toString().toStdString() + "\"");
        }
    }
    return clipped;
}
