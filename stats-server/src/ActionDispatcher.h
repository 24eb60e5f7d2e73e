#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "AccountActions.h"
#include "ActionContext.h"
#include "MaintenanceActions.h"
#include "SkeldAction.h"

// Answers one POST to /server.php: decodes the body, checks that the action is known and that
// every field the client sends for it is there, and hands the request to its action. A body
// that cannot be read that far is answered with HTTP 400 and a short reason.
class ActionDispatcher {
public:
    explicit ActionDispatcher(const ActionContext& context);
    ActionDispatcher(const ActionDispatcher&) = delete;
    ActionDispatcher& operator=(const ActionDispatcher&) = delete;

    // `clientAddress`: where the request came from.
    ActionReply Handle(std::string_view body, std::string_view clientAddress = {});

private:
    struct Route {
        std::string_view action;
        std::vector<std::string_view> fields;  // besides action and client_version
        std::function<ActionReply(const DecodedForm&)> handle;
    };

    SkeldAction skeld_;
    AccountActions accounts_;
    MaintenanceActions maintenance_;
    std::vector<Route> routes_;
};
