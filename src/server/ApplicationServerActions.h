#pragma once

#include <string>

#include "ports/ServerActionsPort.h"
#include "server/RequestContext.h"

// The server requests the program starts by itself or from its menu, each on a fresh request
// object with the preferences' proxy applied when ProxyUse is set and a host is given, and
// each after saving everything.
class ApplicationServerActions final : public ServerActionsPort {
public:
    explicit ApplicationServerActions(const RequestContext& context) : context_(context) {}

    void BeginSkeld() override;
    void CheckVersionSilently() override;
    void CheckVersionInteractively();
    // The token reset of the tray menu, after the user confirmed it.
    void ResetToken();
    // The password reset of the account details dialog, after the user confirmed it.
    void ResetPassword(const std::string& newPassword);
    // The key-frequency dialog's "Generate Image": the tally's XML for a keyboard picture.
    void SendKeyboardImage(const std::string& xml);

    const RequestContext& Context() const { return context_; }

private:
    void SaveFirst();

    RequestContext context_;
};
