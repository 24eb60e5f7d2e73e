#include "server/Communication.h"

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

#include "counting/AppRecord.h"
#include "counting/DistanceUnit.h"
#include "persistence/AppPersistence.h"
#include "persistence/Logs.h"
#include "ports/Clock.h"
#include "ports/EndSkeldPort.h"
#include "ports/SetupAssistantPort.h"
#include "ports/UserPort.h"
#include "server/ProxyUsable.h"
#include "server/ServerReply.h"
#include "text/FormatCount.h"
#include "text/NumberText.h"
#include "text/ShownText.h"

namespace {

constexpr const char* kUnknownReplyText = "Unknown server message, please try again later.";

// The image name, one plain segment already, escaped so that it cannot break the address.
std::string PathSegment(const std::string& name) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string segment;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        const bool unreserved = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                                (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' ||
                                byte == '_' || byte == '~';
        if (unreserved) {
            segment += c;
        } else {
            segment += '%';
            segment += kHex[byte >> 4];
            segment += kHex[byte & 0x0F];
        }
    }
    return segment;
}

bool Is(const std::string& reply, std::string_view status) {
    return ServerReply::HasStatus(reply, status);
}

// The text of a "200 MSG" reply, cut for display.
std::string ServerMessage(const std::string& reply) {
    return ShownText::Message(ServerReply::WithoutEvery(reply, "200 MSG "));
}

}  // namespace

Communication::Communication(const RequestContext& context)
    : context_(context), transport_(context.User, context.Record.Prefs, context.Server) {
    transport_.SetTimeouts(context.Timeouts);
}

Communication Communication::ForApplication(const RequestContext& context) {
    Communication request(context);
    const Preferences& prefs = context.Record.Prefs;
    if (ProxyUsable(prefs.ProxyUse, prefs.ProxyHost)) {
        request.SetProxy(prefs.ProxyHost, prefs.ProxyPort, prefs.ProxyAuth, prefs.ProxyUser,
                         prefs.ProxyPass);
    }
    return request;
}

void Communication::SetProxy(const std::string& host, std::int32_t port,
                             std::int32_t authentication, const std::string& user,
                             const std::string& password) {
    transport_.SetProxy(host, port, authentication, user, password);
}

void Communication::ClearResults() {
    KeysToSend = 0;
    ClicksToSend = 0;
    MilesToSend = 0.0;
    EmailResult.clear();
    TokenResult.clear();
    TotalKeysResult = 0;
    TotalClicksResult = 0;
    UserIdResult = 0;
    RankResult = 0;
}

// --- Skeld -------------------------------------------------------------------------------

void Communication::SendSkeld() {
    const AccountState& account = context_.Record.Account;
    transport_.ClearForm();
    transport_.AddFormField("action", "skeld");
    transport_.AddFormField("ostype", "1");
    transport_.AddFormField("userid", std::to_string(account.UserID));
    transport_.AddFormField("password", account.Password);
    transport_.AddFormField("computer", account.ComputerName);
    transport_.AddFormField("token", account.Token);
    transport_.AddFormField("keycount", std::to_string(KeysToSend));
    transport_.AddFormField("clickcount", std::to_string(ClicksToSend));
    transport_.AddFormField("miles", NumberText::Fixed(MilesToSend, 3));
    Debug("SERVER - Sending skeld");
    const std::string reply = Post();

    if (Is(reply, "501 BAD PASSWORD")) {
        const std::string message = "Wrong password for account " + account.UserName + "!";
        SkeldFailed(WrongStoredPasswordText(), "SERVER - " + message);
    } else if (Is(reply, "500 AC UNKNOWN")) {
        const std::string message =
            "Account " + account.UserName + " or profile " + account.ComputerName + " not found!";
        SkeldFailed(message, "SERVER - " + message);
    } else if (Is(reply, "100 P OK")) {
        SkeldAccepted(reply);
    } else if (Is(reply, "500 P ERROR")) {
        SkeldFailed("Skeld failed due to server error, please try again later.",
                    "SERVER - Unknown server error");
    } else if (Is(reply, "200 WT")) {
        Debug("SERVER - Invalid token");
        // The token reset runs on this same object, before the skeld ends.
        if (!ShowNoPopups() &&
            context_.User.AskYesNo("Invalid token!\n\nWould you like to reset it now?",
                                   UserPort::Icon::Error, UserPort::EnterAnswers::No)) {
            ResetToken();
        }
        context_.SkeldEnd.EndSkeld();
    } else if (Is(reply, "200 MSG")) {
        const std::string text = ServerMessage(reply);
        SkeldFailed("Server message: " + text, "SERVER - Server message: " + text);
    } else if (Is(reply, "200 AB")) {
        SkeldFailed("Activity throttle breached, try again in an hour or so!",
                    "SERVER - Activity throttle breached");
    } else {
        SkeldFailed(kUnknownReplyText, "SERVER - Unknown response: " + reply);
    }
}

void Communication::SkeldAccepted(const std::string& reply) {
    skeldSucceeded_ = true;
    AppRecord& record = context_.Record;
    AccountState& account = record.Account;
    const Preferences& prefs = record.Prefs;
    Debug("SERVER - Skeld accepted, updating totals");

    // Fields only follow "100 P OK " with its space: "100 P OKAY" is accepted, but unread.
    const auto fields =
        Is(reply, "100 P OK ")
            ? ServerReply::Fields(ServerReply::WithoutEvery(reply, "100 P OK "), '\t')
            : std::vector<std::string>{};
    if (fields.size() == 5) {
        const double distance = DistanceInUnit(account.UnsentMetres, prefs.DistanceType, false);
        const std::string text = "Skelded with " + FormatCount(KeysToSend) + " keys, " +
                                 FormatCount(ClicksToSend) + " mouseclicks and " +
                                 NumberText::Fixed(distance, 3) + " " +
                                 DistanceUnitName(prefs.DistanceType);
        context_.Log.WriteSkeldLog(prefs.PortableMode, "%s", text.c_str());
        if (prefs.UseBalloons != 0) {
            context_.User.ShowBalloon("Skelded!", text);
        }
        account.TotalClicks = ServerReply::LenientCount(fields[1]);
        account.TotalKeys = ServerReply::LenientCount(fields[0]);
        account.TotalMiles = SaneMiles(ServerReply::LenientDecimal(fields[3]));
        account.Rank = ServerReply::LenientCount(fields[2]);
        // A token that could not be sent back is not stored: with the old one the next skeld
        // meets "200 WT", and the token reset mends it.
        if (ServerReply::UsableToken(fields[4])) {
            account.Token = fields[4];
        } else {
            Debug("SERVER - Unusable token in the reply, the old one is kept");
        }
        account.KeysLastSkeld = KeysToSend;
    }
    // The server has the counts: what was counted since the snapshot goes with them.
    account.ResetUnsentClicks();
    account.ResetUnsentKeys();
    account.ResetUnsentDistance();
    account.LastSkeld = static_cast<std::int32_t>(context_.Time.Now());
    context_.SkeldEnd.EndSkeld();
    savedAfterSkeld_ = context_.Persistence.SaveAll(record, context_.Frequencies);
}

void Communication::Report(const std::string& logLine, const std::string& message) {
    Debug(logLine);
    context_.User.ShowMessage(message);
}

void Communication::SkeldFailed(const std::string& message, const std::string& logLine) {
    Debug(logLine);
    if (!ShowNoPopups()) {
        context_.User.ShowMessage(message);
    }
    context_.SkeldEnd.EndSkeld();
}

// --- Maintenance -------------------------------------------------------------------------

void Communication::ResetToken() {
    AccountState& account = context_.Record.Account;
    transport_.ClearForm();
    transport_.AddFormField("action", "reset_token");
    transport_.AddFormField("userid", std::to_string(account.UserID));
    transport_.AddFormField("password", account.Password);
    transport_.AddFormField("computer", account.ComputerName);
    Debug("SERVER - Sending token reset request");
    const std::string reply = Post();

    if (Is(reply, "500 AC UNKNOWN")) {
        Report("SERVER - Unknown account", AccountDoesNotExistText());
    } else if (Is(reply, "100 OK")) {
        // The token follows "100 OK " with its space; a bare "100 OK" holds none.
        std::string token =
            Is(reply, "100 OK ") ? ServerReply::WithoutEvery(reply, "100 OK ") : std::string();
        // Without a token to skeld with, the counters must not go.
        if (!ServerReply::UsableToken(token)) {
            UnknownReply(reply);
            return;
        }
        account.Token = std::move(token);
        tokenWasReset_ = true;
        Report("SERVER - Token reset", "Token reset!");
        account.ResetUnsentKeys();
        account.ResetUnsentClicks();
        account.ResetUnsentDistance();
    } else if (Is(reply, "500 RT ERROR")) {
        Report("SERVER - Unknown error",
               "Request failed due a server error, please try again later.");
    } else if (Is(reply, "501 BAD PASSWORD")) {
        Report("SERVER - Wrong password", WrongStoredPasswordText());
    } else if (Is(reply, "200 MSG")) {
        const std::string text = ServerMessage(reply);
        Report("SERVER - Server message: " + text, "Server message: " + text);
    } else {
        UnknownReply(reply);
    }
}

void Communication::ResetPassword(const std::string& newPassword) {
    AccountState& account = context_.Record.Account;
    transport_.ClearForm();
    transport_.AddFormField("action", "reset_password");
    transport_.AddFormField("userid", std::to_string(account.UserID));
    transport_.AddFormField("new_password", newPassword);
    Debug("SERVER - Requesting password reset");
    const std::string reply = Post();

    if (Is(reply, "500 AC UNKNOWN")) {
        Report("SERVER - Account unknown", AccountDoesNotExistText());
    } else if (Is(reply, "100 OK")) {
        account.Password = newPassword;
        // Saved at once: the server will only take the new password from now on, and the
        // client is the one place that knows it.
        context_.Persistence.SaveAll(context_.Record, context_.Frequencies);
        Report("SERVER - Password reset",

               "Your password in the client has been reset, please confirm the email which is sent "
               "to your email address before you can resume skelding. The email shows the new "
               "password: keep it, you need it to log in on another computer.");
    } else if (Is(reply, "500 RP ERROR")) {
        Report("SERVER - Unknown error",
               "Request failed due a server error, please try again later");
    } else if (Is(reply, "200 MSG")) {
        const std::string text = ServerMessage(reply);
        Report("SERVER - Server message: " + text, "Server message: " + text);
    } else {
        UnknownReply(reply);
    }
}

void Communication::SendKeyboardImage(const std::string& xml) {
    const AccountState& account = context_.Record.Account;
    transport_.ClearForm();
    transport_.AddFormField("action", "keyboard_image");
    transport_.AddFormField("userid", std::to_string(account.UserID));
    transport_.AddFormField("password", account.Password);
    transport_.AddFormField("computer", account.ComputerName);
    transport_.AddFormField("xml", xml);
    Debug("SERVER - Sending key frequencies to server");
    const std::string reply = Post();

    if (Is(reply, "100 OK")) {
        // The name follows "100 OK " with its space; a bare "100 OK" holds none.
        const std::string name =
            Is(reply, "100 OK ") ? ServerReply::WithoutEvery(reply, "100 OK ") : std::string();
        // Anything but one plain segment would lead the browser elsewhere on the web site.
        if (!ServerReply::PlainPathSegment(name)) {
            UnknownReply(reply);
            return;
        }
        if (context_.User.AskYesNo("Key frequency image generated! Would you like to browse to it?",
                                   UserPort::Icon::Information)) {
            context_.User.Open(context_.Server.WebPageUrl("/keyboard-images/" + PathSegment(name)));
        }
    } else if (Is(reply, "501 BAD PASSWORD")) {
        context_.User.ShowMessage("Wrong password!");
        Debug("SERVER - Wrong password response");
    } else if (Is(reply, "500 AC UNKNOWN")) {
        const std::string message = "UserID " + std::to_string(account.UserID) + " not found!";
        Report("SERVER - " + message, message);
    }
    // Any other reply, a failed connection included, is left without a word.
}

void Communication::CheckVersion(bool silent) {
    transport_.ClearForm();
    transport_.AddFormField("action", "check_version");
    transport_.AddFormField("os", "windows");
    Debug("SERVER - Requesting latest client version");
    const std::string newest = Post();

    // Versions compare as byte strings, not as numbers: 1.7.10 is newer than 1.7.1, 1.10 older.
    const std::string own = CWebGrab::kClientVersion;
    const int order = newest.compare(own);
    const std::string downloads = context_.Server.WebPageUrl("/downloads/");
    const std::string shown = ShownText::Message(newest);  // a web page, maybe
    if (silent) {
        if (newest != "error" && order > 0) {
            context_.User.ShowBalloon(
                "New version available!",
                ShownText::BalloonText("New client available: " + shown + "!\n" + downloads));
        }
        return;
    }
    if (newest == "error") {
        return;  // the transport has told the user already
    }
    if (order < 0) {
        context_.User.ShowMessage(
            "You have an unreleased client! (stable = " + shown + ", you = " + own + ")",
            UserPort::Icon::Information);
    } else if (order == 0) {
        context_.User.ShowMessage("You already have the latest version of Kestrovin!",
                                  UserPort::Icon::Information);
    } else if (context_.User.AskYesNo("There's a new version of Kestrovin available.\nClick "
                                      "'Yes' to visit the download section.",
                                      UserPort::Icon::Information)) {
        context_.User.Open(downloads);
    }
}

// --- Account requests of the setup assistant ---------------------------------------------

void Communication::FetchComputerList(SetupAssistantPort& assistant, const std::string& accountName,
                                      const std::string& password) {
    transport_.ClearForm();
    transport_.AddFormField("action", "computer_list");
    transport_.AddFormField("username", accountName);
    transport_.AddFormField("password", password);
    Debug("SERVER - Retrieving computer list");
    const std::string reply = Post();

    const auto offerCheckAgain = [&assistant] {
        assistant.ShowControl(AssistantControl::CheckComputerNames, true);
        assistant.EnableControl(AssistantControl::CheckComputerNames, true);
    };
    if (Is(reply, "501 BAD PASSWORD")) {
        assistant.SetStatus("Wrong password for account " + accountName + "!");
        offerCheckAgain();
        Debug("SERVER - Wrong password response");
    } else if (Is(reply, "100 OK")) {
        Debug("SERVER - Server accepted authentication, looking for registered computers");
        assistant.SetStatus("Verified account information!");
        const std::string payload = ServerReply::WithoutEvery(reply, "100 OK ");
        if (payload.empty()) {
            assistant.SetStatus("Set up a Computer name on the website and try again!");
            context_.User.ShowMessage(
                "You need to set up a Computer name on the website before you can log in!");
            offerCheckAgain();
            return;
        }
        std::vector<std::string> names = ServerReply::Fields(payload, '\t');
        assistant.SetStatus("Processing Computer Names...");
        // Each name goes in at the top, so the list shows them last one first.
        std::reverse(names.begin(), names.end());
        assistant.SetComputerList(names);
        assistant.ShowControl(AssistantControl::ComputerList, true);
        assistant.ShowControl(AssistantControl::ComputerListLabel, true);
        assistant.EnableControl(AssistantControl::ComputerList, true);
        assistant.FocusControl(AssistantControl::ComputerList);
        assistant.EnableControl(AssistantControl::Ok, true);
        assistant.PushDataToControls();
        assistant.ClearStatus();
    } else if (Is(reply, "500 AC UNKNOWN")) {
        const std::string status = "Account " + accountName + " not found!";
        assistant.SetStatus(status);
        offerCheckAgain();
        Debug("SERVER - " + status);
    } else if (Is(reply, "200 MSG")) {
        AssistantServerMessage(assistant, reply);
        offerCheckAgain();
    } else {
        UnknownAssistantReply(assistant, reply);
        offerCheckAgain();
    }
}

void Communication::FetchAccountInfo(SetupAssistantPort& assistant, const std::string& accountName,
                                     const std::string& computerName, const std::string& password) {
    transport_.ClearForm();
    transport_.AddFormField("action", "accountinfo");
    transport_.AddFormField("username", accountName);
    transport_.AddFormField("password", password);
    transport_.AddFormField("computer", computerName);
    Debug("SERVER - Retrieving account information");
    const std::string reply = Post();

    if (Is(reply, "501 BAD PASSWORD")) {
        assistant.SetStatus("Wrong password for account " + accountName + "!");
        Debug("SERVER - Wrong password response");
    } else if (Is(reply, "100 AC OK")) {
        const auto fields =
            ServerReply::Fields(ServerReply::WithoutEvery(reply, "100 AC OK "), '\t');
        // Without all seven fields and a usable token there is nothing to skeld with: taking
        // the account over would only look like success.
        if (fields.size() != 7 || !ServerReply::UsableToken(fields[6])) {
            UnknownAssistantReply(assistant, reply);
            return;
        }
        Debug("SERVER - Server accepted authentication, looking for account details");
        assistant.SetStatus("");
        EmailResult = fields[0];
        TotalKeysResult = ServerReply::LenientCount(fields[1]);
        TotalClicksResult = ServerReply::LenientCount(fields[2]);
        // fields[3], the total distance, arrives with the first skeld.
        UserIdResult = ServerReply::LenientInteger(fields[4]);
        RankResult = ServerReply::LenientCount(fields[5]);
        TokenResult = fields[6];
        assistant.SetAccepted();
        assistant.EnableControl(AssistantControl::ExitGoBack, false);
        assistant.EnableControl(AssistantControl::Ok, true);
        assistant.ShowControl(AssistantControl::Ok, true);
        assistant.SetControlText(AssistantControl::Ok, "Close");
    } else if (Is(reply, "500 AC UNKNOWN")) {
        const std::string status =
            "Account " + accountName + " or computer " + computerName + " not found!";
        assistant.SetStatus(status);
        Debug("SERVER - " + status);
    } else if (Is(reply, "200 MSG")) {
        AssistantServerMessage(assistant, reply);
    } else {
        UnknownAssistantReply(assistant, reply);
    }
}

void Communication::RegisterAccount(SetupAssistantPort& assistant, const std::string& accountName,
                                    const std::string& computerName, const std::string& password,
                                    const std::string& email) {
    transport_.ClearForm();
    transport_.AddFormField("action", "register_account");
    transport_.AddFormField("username", accountName);
    transport_.AddFormField("password", password);
    transport_.AddFormField("computer", computerName);
    transport_.AddFormField("email", email);
    Debug("SERVER - Registering a new account");
    const std::string reply = Post();

    if (Is(reply, "100 OK")) {
        const auto fields = ServerReply::Fields(ServerReply::WithoutEvery(reply, "100 OK "), ' ');
        // Without both the user id and a usable token the new account cannot skeld.
        if (fields.size() != 2 || !ServerReply::UsableToken(fields[1])) {
            UnknownAssistantReply(assistant, reply);
            return;
        }
        Debug("SERVER - Server accepted new account details.");
        assistant.SetStatus("Account Information Accepted!");
        UserIdResult = ServerReply::LenientInteger(fields[0]);
        TokenResult = fields[1];
        assistant.SetAccepted();
        assistant.PushDataToControls();
        assistant.ShowControl(AssistantControl::Ok, true);
        assistant.EnableControl(AssistantControl::ExitGoBack, false);
        assistant.SetControlText(AssistantControl::Ok, "Close");
    } else if (Is(reply, "502 AC REGISTERED")) {
        const std::string status =
            "Account " + accountName + " already exists! Please choose another username.";
        assistant.SetStatus(status);
        Debug("SERVER - " + status);
    } else if (Is(reply, "200 MSG")) {
        // The server's reason: an address, name or password it does not accept.
        AssistantServerMessage(assistant, reply);
    } else {
        UnknownAssistantReply(assistant, reply);
    }
}

// --- Shared steps ------------------------------------------------------------------------

std::string Communication::Post() {
    return exchange_ ? exchange_(transport_) : transport_.PostForm();
}

void Communication::UnknownReply(const std::string& reply) {
    Debug("SERVER - Unknown response: " + reply);
    if (!ShowNoPopups()) {
        context_.User.ShowMessage(kUnknownReplyText);
    }
}

void Communication::UnknownAssistantReply(SetupAssistantPort& assistant, const std::string& reply) {
    // "Waiting for connection..." would stay up for ever: say that this attempt is over.
    assistant.SetStatus(RequestFailedStatus);
    UnknownReply(reply);
}

void Communication::AssistantServerMessage(SetupAssistantPort& assistant,
                                           const std::string& reply) {
    assistant.SetStatus("Server message: " + ServerMessage(reply));
    Debug("SERVER - Received server message");
}

void Communication::Debug(const std::string& line) const {
    context_.Log.WriteDebugLog(context_.Record.Prefs.PortableMode, "%s", line.c_str());
}

bool Communication::ShowNoPopups() const {
    return context_.Record.Prefs.ShowNoPopups != 0;
}

std::string Communication::WrongStoredPasswordText() const {
    // The usual cause: the password was changed in the client but not on the server.
    return "Wrong password for account " + context_.Record.Account.UserName +
           "! If you changed it only in Kestrovin, change it on " +
           context_.Server.WebPageUrl("/password/") + " too.";
}

std::string Communication::AccountDoesNotExistText() const {
    return "Your account does not exist on the server.  You *must* create an account on the "
           "server\r\nbefore using this program!  Please visit " +
           context_.Server.WebPageUrl("/");
}
