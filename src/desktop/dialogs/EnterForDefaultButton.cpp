#include "desktop/dialogs/EnterForDefaultButton.h"

#include <QDialog>
#include <QPushButton>

void LeaveEnterToDefaultButton(QDialog& dialog) {
    for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
        button->setAutoDefault(false);
    }
}
