#pragma once

#include <QDialog>
#include <QPointer>

// One dialog of a kind at a time, open beside the rest of the program: the tray menu, the
// timers and skelds go on while it shows, and a second request brings the open one forward.
template <typename Dialog>
class SingleDialog {
public:
    // Brings the open dialog forward; false when none is open.
    bool Raise() const {
        if (!dialog_) {
            return false;
        }
        dialog_->showNormal();
        dialog_->raise();
        dialog_->activateWindow();
        return true;
    }

    // Shows `dialog`, which goes when it closes.
    Dialog* Show(Dialog* dialog) {
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog_ = dialog;
        Raise();
        return dialog;
    }

    // The open dialog, or nullptr.
    Dialog* Get() const { return dialog_.data(); }

private:
    QPointer<Dialog> dialog_;
};
