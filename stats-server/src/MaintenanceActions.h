#pragma once

#include "ActionContext.h"
#include "DecodedForm.h"

// The requests that keep an installed client in order.
//
// "reset_token":    "100 OK " new token | "501 BAD PASSWORD" | "500 AC UNKNOWN" (account or
//                   computer) | "500 RT ERROR"
// "reset_password": "100 OK" | "500 AC UNKNOWN" | "500 RP ERROR" | "200 MSG ..." (unusable
//                   password, or a reset asked for a moment ago). The request carries no old
//                   password, so the new one only becomes valid once the account's owner
//                   opens the link sent to the account's address (or kept in the outbox);
//                   until then the old password keeps working.
// "keyboard_image": "100 OK " image name | "501 BAD PASSWORD" | "500 AC UNKNOWN"; a database
//                   failure is HTTP 500
// "check_version":  the newest released version, with no status and no line break
class MaintenanceActions {
public:
    static constexpr std::int64_t kConfirmationMaxAge = 48 * 3600;
    static constexpr std::int64_t kResetMailInterval = 10 * 60;
    static constexpr int kImagesPerAccount = 20;

    explicit MaintenanceActions(const ActionContext& context) : context_(context) {}

    ActionReply ResetToken(const DecodedForm& form);
    ActionReply ResetPassword(const DecodedForm& form);
    ActionReply KeyboardImage(const DecodedForm& form);
    ActionReply CheckVersion(const DecodedForm& form);

private:
    const ActionContext& context_;
};
