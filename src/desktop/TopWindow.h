#pragma once

#include <QObject>
#include <QPointer>
#include <vector>

class QWidget;

// The dialog of the program that the user last saw open or brought forward. A message box, a
// question or a file dialog belongs above it: without a parent one opens wherever the window
// manager likes, often behind a dialog that stays on top, and holds the program while hidden.
class TopWindow final : public QObject {
public:
    // Watches the whole application from now on.
    TopWindow();

    // The modal dialog in front if there is one, else the visible dialog shown or activated
    // last; nullptr when no dialog is open.
    QWidget* Current() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<QPointer<QWidget>> order_;  // oldest first
};
