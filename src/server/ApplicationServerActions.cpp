#include "server/ApplicationServerActions.h"

#include "persistence/AppPersistence.h"
#include "server/BeginSkeld.h"
#include "server/Communication.h"

// An exchange blocks the program for up to a few minutes, and a session that ends meanwhile may
// not wait for it: each one starts with everything on disk (the skeld saves for itself).

void ApplicationServerActions::BeginSkeld() {
    ::BeginSkeld(context_);
}

void ApplicationServerActions::CheckVersionSilently() {
    SaveFirst();
    Communication::ForApplication(context_).CheckVersion(true);
}

void ApplicationServerActions::CheckVersionInteractively() {
    SaveFirst();
    Communication::ForApplication(context_).CheckVersion(false);
}

void ApplicationServerActions::ResetToken() {
    SaveFirst();
    Communication::ForApplication(context_).ResetToken();
}

void ApplicationServerActions::ResetPassword(const std::string& newPassword) {
    SaveFirst();
    Communication::ForApplication(context_).ResetPassword(newPassword);
}

void ApplicationServerActions::SendKeyboardImage(const std::string& xml) {
    SaveFirst();
    Communication::ForApplication(context_).SendKeyboardImage(xml);
}

void ApplicationServerActions::SaveFirst() {
    context_.Persistence.SaveAll(context_.Record, context_.Frequencies);
}
