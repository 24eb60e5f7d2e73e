#pragma once

#include "ActionContext.h"
#include "DecodedForm.h"

// The requests of the client's setup assistant.
//
// "computer_list":    "100 OK " names joined by TAB | "501 BAD PASSWORD" | "500 AC UNKNOWN"
// "accountinfo":      "100 AC OK " e-mail TAB keys TAB clicks TAB miles TAB user id TAB rank
//                     TAB token | "501 BAD PASSWORD" | "500 AC UNKNOWN" (account or computer)
// "register_account": "100 OK " user id SPACE token | "502 AC REGISTERED" (name taken,
//                     whatever its case) | "200 MSG ..." (a name, password, computer or
//                     e-mail the server does not accept)
// A database failure is HTTP 500: these requests have no error status of their own.
class AccountActions {
public:
    explicit AccountActions(const ActionContext& context) : context_(context) {}

    ActionReply ComputerList(const DecodedForm& form);
    ActionReply AccountInfo(const DecodedForm& form);
    ActionReply RegisterAccount(const DecodedForm& form);

private:
    const ActionContext& context_;
};
