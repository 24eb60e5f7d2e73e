#include "desktop/dialogs/ChangePasswordDlg.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "desktop/dialogs/EnterForDefaultButton.h"
#include "ports/UserPort.h"

namespace {

QLineEdit* MaskedField() {
    auto* field = new QLineEdit;
    field->setEchoMode(QLineEdit::Password);
    return field;
}

}  // namespace

CChangePasswordDlg::CChangePasswordDlg(UserPort& user, QWidget* parent)
    : QDialog(parent),
      userPort_(user),
      old_(MaskedField()),
      new_(MaskedField()),
      again_(MaskedField()),
      ok_(new QPushButton(QStringLiteral("OK"))),
      cancel_(new QPushButton(QStringLiteral("Cancel"))) {
    setWindowTitle(QStringLiteral("Change Password"));

    auto* group = new QGroupBox(QStringLiteral("Enter your new password "));
    auto* form = new QFormLayout(group);
    form->addRow(QStringLiteral("Old Password:"), old_);
    form->addRow(QStringLiteral("New Password:"), new_);
    form->addRow(QStringLiteral("New Password Again:"), again_);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    ok_->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
    LeaveEnterToDefaultButton(*this);

    connect(ok_, &QPushButton::clicked, this, &CChangePasswordDlg::OnOk);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void CChangePasswordDlg::OnOk() {
    // Compared as typed, case and all: the server will compare the same way.
    if (new_->text() != again_->text()) {
        userPort_.ShowMessage(MismatchMessage);
        new_->setFocus();
        return;
    }
    OldPassword = old_->text().toStdString();
    NewPassword = new_->text().toStdString();
    accept();
}
