#include "server/AssistantForm.h"

bool AssistantForm::FieldsFilled() const {
    if (AccountName.empty() || Password.empty()) {
        return false;
    }
    return !Registering || (!NewEmail.empty() && !NewComputerName.empty());
}

bool AssistantForm::ReadyToSend() const {
    return FieldsFilled() && (Registering || ComputerChosen);
}
