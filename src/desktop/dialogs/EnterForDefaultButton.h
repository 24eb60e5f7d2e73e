#pragma once

class QDialog;

// Leaves Enter to the dialog's default button alone. A push button in a dialog otherwise takes
// Enter for itself while it has the focus (Qt's auto-default), so that after a click on, say,
// "&Reset Password..." Enter would press it again instead of OK. Call once the dialog's
// buttons are its children (its layout installed); Space still presses the focused button.
void LeaveEnterToDefaultButton(QDialog& dialog);
