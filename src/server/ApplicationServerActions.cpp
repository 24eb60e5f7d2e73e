#include "server/ApplicationServerActions.h"

#include "server/BeginSkeld.h"
#include "server/Communication.h"

void ApplicationServerActions::BeginSkeld() {
    ::BeginSkeld(context_);
}

void ApplicationServerActions::CheckVersionSilently() {
    Communication::ForApplication(context_).CheckVersion(true);
}

void ApplicationServerActions::CheckVersionInteractively() {
    Communication::ForApplication(context_).CheckVersion(false);
}

void ApplicationServerActions::ResetToken() {
    Communication::ForApplication(context_).ResetToken();
}

void ApplicationServerActions::ResetPassword(const std::string& newPassword) {
    Communication::ForApplication(context_).ResetPassword(newPassword);
}
