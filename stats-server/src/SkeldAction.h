#pragma once

#include "ActionContext.h"
#include "DecodedForm.h"

// "skeld": adds one upload of keys, clicks and miles to the account and answers the new
// totals, the rank and the computer's next token.
//
//   "100 P OK " keys TAB clicks TAB rank TAB miles TAB token    accepted
//   "501 BAD PASSWORD" | "500 AC UNKNOWN" (account or computer) | "200 WT" (stale token)
//   "200 AB" (sooner than the throttle allows) | "500 P ERROR" (database failure)
//   "200 MSG ..." (negative counts); HTTP 400 for numbers that are not numbers
class SkeldAction {
public:
    explicit SkeldAction(const ActionContext& context) : context_(context) {}

    ActionReply Handle(const DecodedForm& form);

private:
    const ActionContext& context_;
};
