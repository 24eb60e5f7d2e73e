#include "desktop/PasswordFieldFocus.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <utility>
#include <vector>

namespace {

QLineEdit* Field(QLineEdit::EchoMode mode) {
    auto* field = new QLineEdit;
    field->setEchoMode(mode);
    return field;
}

// Every kind of field that hides what is typed makes the keys private while it has the focus;
// each change is told while the old state still holds.
TEST(PasswordFieldFocusTest, FieldsThatHideTheirTextMakeTheKeysPrivate) {
    QDialog dialog;
    auto* layout = new QVBoxLayout(&dialog);
    auto* hiddenText = new QPlainTextEdit;
    hiddenText->setInputMethodHints(Qt::ImhHiddenText);
    const std::vector<std::pair<QWidget*, bool>> widgets = {
        {Field(QLineEdit::Normal), false},
        {Field(QLineEdit::Password), true},
        {new QPushButton(QStringLiteral("OK")), false},
        {Field(QLineEdit::PasswordEchoOnEdit), true},
        {Field(QLineEdit::NoEcho), true},
        {new QPlainTextEdit, false},
        {hiddenText, true},
    };
    for (const auto& [widget, hides] : widgets) {
        layout->addWidget(widget);
    }
    widgets.front().first->setFocus();
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));

    PasswordFieldFocus focus;
    // (the coming state, the state asked for during the notice)
    std::vector<std::pair<bool, bool>> notices;
    focus.OnChange([&](bool coming) { notices.emplace_back(coming, focus.KeysArePrivate()); });
    bool wasPrivate = false;
    for (const auto& [widget, hides] : widgets) {
        notices.clear();
        widget->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(widget->hasFocus());
        EXPECT_EQ(focus.KeysArePrivate(), hides) << widget->metaObject()->className();
        const std::vector<std::pair<bool, bool>> told =
            hides == wasPrivate ? std::vector<std::pair<bool, bool>>{}
                                : std::vector<std::pair<bool, bool>>{{hides, wasPrivate}};
        EXPECT_EQ(notices, told) << widget->metaObject()->className();
        wasPrivate = hides;
    }

    dialog.hide();  // the focus leaves the program's windows
    EXPECT_FALSE(focus.KeysArePrivate());
}

}  // namespace
