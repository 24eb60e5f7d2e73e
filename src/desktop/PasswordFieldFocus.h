#pragma once

#include <QObject>

#include "ports/PrivateKeysPort.h"

class QWidget;

// Whether a password field of this program has the keyboard focus: a line edit that hides
// what is typed in it, or any widget that asks input methods to hide its text. What is typed
// there is a password (the setup assistant's, the account's, the proxy's), so the keys are
// private. Another program's window with the focus leaves no field of this one focused.
class PasswordFieldFocus final : public QObject, public PrivateKeysPort {
    Q_OBJECT

public:
    PasswordFieldFocus();

    bool KeysArePrivate() const override { return inPasswordField_; }

    static bool IsPasswordField(const QWidget* widget);

private:
    void OnFocusChanged(const QWidget* now);

    bool inPasswordField_ = false;
};
