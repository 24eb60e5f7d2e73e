#include "SkeldAction.h"

#include <limits>
#include <optional>

#include "CredentialCheck.h"
#include "NumberText.h"
#include "RandomToken.h"
#include "ReplyText.h"

namespace {

constexpr std::size_t kTokenBytes = 16;

// A count as the client prints it: a 32-bit "%ld".
std::optional<std::int64_t> ParseCount(const std::string& text) {
    const auto value = NumberText::ParseInteger(text);
    if (!value || *value > std::numeric_limits<std::int32_t>::max() ||
        *value < std::numeric_limits<std::int32_t>::min()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

ActionReply SkeldAction::Handle(const DecodedForm& form) {
    const auto userId = NumberText::ParseInteger(form.Find("userid").value_or(""));
    const auto keys = ParseCount(form.Find("keycount").value_or(""));
    const auto clicks = ParseCount(form.Find("clickcount").value_or(""));
    const auto miles = NumberText::ParseDecimal(form.Find("miles").value_or(""));
    if (!userId || !keys || !clicks || !miles) {
        return ReplyText::BadRequest("userid, keycount, clickcount and miles must be numbers");
    }
    if (*keys < 0 || *clicks < 0 || *miles < 0) {
        return ReplyText::Message("Counts cannot be negative; this skeld was not counted.");
    }

    const auto login = CredentialCheck::ById(context_, form.ClientAddress(), *userId,
                                             form.Find("password").value_or(""),
                                             form.Find("computer").value_or(""));
    if (login.status != CredentialCheck::Status::Passed) {
        return CredentialCheck::FailureReply(login.status, ReplyText::Status("500 P ERROR"));
    }

    const auto newToken = RandomToken::Hex(kTokenBytes);
    if (!newToken) {
        return ReplyText::Status("500 P ERROR");
    }
    AccountDatabase::SkeldUpload upload;
    upload.computerId = login.computer.computerId;
    upload.token = form.Find("token").value_or("");
    upload.newToken = *newToken;
    upload.keys = *keys;
    upload.clicks = *clicks;
    upload.miles = *miles;
    upload.now = context_.clock.Now();
    upload.throttleSeconds = context_.settings.throttleSeconds;
    const auto outcome = context_.database.ApplySkeld(upload);
    switch (outcome.status) {
        case AccountDatabase::SkeldStatus::WrongToken:
            return ReplyText::Status("200 WT");
        case AccountDatabase::SkeldStatus::Throttled:
            return ReplyText::Status("200 AB");
        case AccountDatabase::SkeldStatus::Failed:
            return ReplyText::Status("500 P ERROR");
        case AccountDatabase::SkeldStatus::Accepted:
            break;
    }
    const Standing& standing = outcome.standing;
    return ReplyText::WithPayload(
        "100 P OK",
        ReplyText::Joined({ReplyText::Count(standing.totalKeys),
                           ReplyText::Count(standing.totalClicks), ReplyText::Count(standing.rank),
                           NumberText::Miles(standing.totalMiles), *newToken}));
}
