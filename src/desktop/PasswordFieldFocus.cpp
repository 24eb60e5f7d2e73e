#include "desktop/PasswordFieldFocus.h"

#include <QApplication>
#include <QLineEdit>

PasswordFieldFocus::PasswordFieldFocus()
    : inPasswordField_(IsPasswordField(QApplication::focusWidget())) {
    connect(qApp, &QApplication::focusChanged, this,
            [this](const QWidget* /*before*/, const QWidget* now) { OnFocusChanged(now); });
}

bool PasswordFieldFocus::IsPasswordField(const QWidget* widget) {
    if (widget == nullptr) {
        return false;
    }
    // Password-while-editing sets no hint, but shows what is typed only while it is typed.
    const auto* line = qobject_cast<const QLineEdit*>(widget);
    return (line != nullptr && line->echoMode() != QLineEdit::Normal) ||
           widget->inputMethodHints().testFlag(Qt::ImhHiddenText);
}

void PasswordFieldFocus::OnFocusChanged(const QWidget* now) {
    const bool inPasswordField = IsPasswordField(now);
    if (inPasswordField == inPasswordField_) {
        return;
    }
    // Told first, so the keys typed before the focus moved are counted as they were typed.
    Notify(inPasswordField);
    inPasswordField_ = inPasswordField;
}
