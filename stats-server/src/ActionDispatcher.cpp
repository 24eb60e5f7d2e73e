#include "ActionDispatcher.h"

#include <string>

#include "FormDecoder.h"
#include "ReplyText.h"

ActionDispatcher::ActionDispatcher(const ActionContext& context)
    : skeld_(context), accounts_(context), maintenance_(context) {
    // The fields the client sends with each action.
    routes_ = {
        {"skeld",
         {"ostype", "userid", "password", "computer", "token", "keycount", "clickcount", "miles"},
         [this](const DecodedForm& form) { return skeld_.Handle(form); }},
        {"computer_list",
         {"username", "password"},
         [this](const DecodedForm& form) { return accounts_.ComputerList(form); }},
        {"accountinfo",
         {"username", "password", "computer"},
         [this](const DecodedForm& form) { return accounts_.AccountInfo(form); }},
        {"register_account",
         {"username", "password", "computer", "email"},
         [this](const DecodedForm& form) { return accounts_.RegisterAccount(form); }},
        {"reset_token",
         {"userid", "password", "computer"},
         [this](const DecodedForm& form) { return maintenance_.ResetToken(form); }},
        {"reset_password",
         {"userid", "new_password"},
         [this](const DecodedForm& form) { return maintenance_.ResetPassword(form); }},
        {"keyboard_image",
         {"userid", "password", "computer", "xml"},
         [this](const DecodedForm& form) { return maintenance_.KeyboardImage(form); }},
        {"check_version",
         {"os"},
         [this](const DecodedForm& form) { return maintenance_.CheckVersion(form); }},
    };
}

ActionReply ActionDispatcher::Handle(std::string_view body, std::string_view clientAddress) {
    FormDecoder::Result decoded = FormDecoder::Decode(body);
    if (!decoded.form) {
        return ReplyText::BadRequest(decoded.error);
    }
    decoded.form->SetClientAddress(std::string(clientAddress));
    const DecodedForm& form = *decoded.form;
    const auto action = form.Find("action");
    if (!action) {
        return ReplyText::BadRequest("the field action is missing");
    }
    for (const Route& route : routes_) {
        if (route.action != *action) {
            continue;
        }
        for (std::string_view field : route.fields) {
            if (!form.Find(field)) {
                return ReplyText::BadRequest("the field " + std::string(field) + " is missing");
            }
        }
        return route.handle(form);
    }
    return ReplyText::BadRequest("unknown action");
}
