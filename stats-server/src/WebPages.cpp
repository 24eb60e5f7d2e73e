#include "WebPages.h"

#include "AccountRules.h"
#include "CredentialCheck.h"
#include "HtmlPage.h"
#include "KeyboardHeatMap.h"
#include "MaintenanceActions.h"
#include "NumberText.h"
#include "RandomToken.h"

namespace {

constexpr std::size_t kTokenBytes = 16;

// A user id from a path: 1 to 18 digits, nothing else.
std::int64_t UserIdFrom(std::string_view text) {
    if (text.empty() || text.front() == '-') {
        return 0;
    }
    return NumberText::ParseInteger(text).value_or(0);
}

bool IsImageName(std::string_view name) {
    constexpr std::string_view kSuffix = ".svg";
    if (name.size() <= kSuffix.size() || !name.ends_with(kSuffix)) {
        return false;
    }
    for (char c : name.substr(0, name.size() - kSuffix.size())) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

std::string Row(std::string_view label, std::string_view value) {
    return "<tr><th>" + std::string(label) + "</th><td class=\"number\">" + std::string(value) +
           "</td></tr>\n";
}

}  // namespace

WebReply WebPages::Home() const {
    return WebReply::Page(
        "Kestrovin statistics",
        "<p>This server keeps the statistics of Kestrovin users: every skeld of a client "
        "adds its keystrokes, clicks and mouse travel to the account's lifetime "
        "totals, and every account is ranked by its keystrokes.</p>\n"
        "<p>Accounts are created from the client's setup assistant. Your statistics "
        "page opens from the client's menu (Account, Online Stats).</p>\n<ul>\n"
        "<li><a href=\"/computers/\">Add a computer to your account</a></li>\n"
        "<li><a href=\"/downloads/\">Download the client</a></li>\n"
        "<li><a href=\"/wiki/\">Help</a></li>\n</ul>");
}

WebReply WebPages::AccountStatistics(std::string_view userIdText) const {
    const std::int64_t userId = UserIdFrom(userIdText);
    const auto account = context_.database.FindAccount(userId);
    if (account.status == LookupStatus::Missing) {
        return NotFound();
    }
    const auto standing = context_.database.StandingOf(userId);
    const auto computers = context_.database.ComputerNames(userId);
    if (!account.Found() || !standing.Found() || !computers.Found()) {
        return WebReply::Failure();
    }
    const Standing& totals = standing.value;
    std::string body = "<table>\n";
    body += Row("Rank",
                NumberText::Grouped(totals.rank) + " of " + NumberText::Grouped(totals.accounts));
    body += Row("Keystrokes", NumberText::Grouped(totals.totalKeys));
    body += Row("Mouse clicks", NumberText::Grouped(totals.totalClicks));
    body += Row("Mouse travel", NumberText::Miles(totals.totalMiles) + " miles");
    body += "</table>\n<h2>Computers</h2>\n<ul>\n";
    for (const std::string& name : computers.value) {
        body += "<li>" + HtmlPage::Escape(name) + "</li>\n";
    }
    body += "</ul>\n";
    return WebReply::Page("Statistics of " + account.value.name, body);
}

WebReply WebPages::KeyboardImage(std::string_view name) const {
    if (!IsImageName(name)) {
        return NotFound();
    }
    const auto xml = context_.database.KeyboardImageXml(name);
    if (xml.status == LookupStatus::Missing) {
        return NotFound();
    }
    if (!xml.Found()) {
        return WebReply::Failure();
    }
    return {200, "image/svg+xml", KeyboardHeatMap::Svg(KeyboardHeatMap::ParseCounts(xml.value))};
}

WebReply WebPages::Downloads() const {
    return WebReply::Page(
        "Downloads", "<p>The newest released client is version <strong>" +
                         HtmlPage::Escape(context_.settings.newestVersion) +
                         "</strong>.</p>\n<p>Kestrovin is built from its sources: on a Debian 12 "
                         "desktop, <code>scripts/run</code> in the source folder installs what it "
                         "needs, builds the client and starts it.</p>");
}

WebReply WebPages::Wiki() const {
    const std::string delivery =
        context_.settings.sendsMail
            ? "e-mail to your account's address"
            : "its operator: this server sends no mail itself but keeps each message for them "
              "to forward to you (on the server's machine they are listed at "
              "<a href=\"/outbox/\">/outbox/</a>)";
    return WebReply::Page(
        "Help",
        "<h2>What Kestrovin counts</h2>\n<p>The client counts your keystrokes, mouse clicks "
        "and mouse travel whichever program has the focus, and from time to time sends the "
        "new counts to this server: a <em>skeld</em>. The server adds them to your account and "
        "answers with your lifetime totals, your rank and a fresh token.</p>\n"
        "<h2>Words</h2>\n<p>A <em>skeld</em> is one upload of the counts a computer gathered "
        "since its last one.</p>\n<p>A <em>token</em> is a random code the server gives a "
        "computer with every accepted skeld and expects back with the next one, so that no "
        "skeld is counted twice and two machines cannot use one computer name unnoticed.</p>\n"
        "<h2>Tokens</h2>\n<p>Every accepted skeld gives the computer a new token, which its "
        "next skeld must show. When a computer's token is no longer valid (for example "
        "because the same computer name is used on two machines) the client offers to reset "
        "it; the counts not yet sent are then dropped.</p>\n"
        "<h2>Several computers</h2>\n<p>Give each machine a computer name of its own; "
        "<a href=\"/computers/\">add one here</a> and choose it in the client's setup "
        "assistant.</p>\n"
        "<h2>Your password</h2>\n<p>Change it on <a href=\"/password/\">the password "
        "page</a> and in the client (Account, Local Account Details, Change Password).</p>\n"
        "<p>If you forgot it, the client can set a new random password. The new password "
        "and a link to confirm it reach you by " +
            delivery +
            "; the password becomes valid once you confirm it on the page its link "
            "opens.</p>\n"
            "<h2>Your own server</h2>\n<p>Point a client at another server with "
            "<code>KESTROVIN_SERVER=host:port</code> in its environment.</p>");
}

WebReply WebPages::DynamicImages() const {
    return WebReply::Page(
        "Dynamic images",
        "<p>Every account has a small banner with its current totals and rank, for "
        "forum signatures and home pages. Its address is "
        "<code>/dynimg/<var>user id</var>.svg</code> on this server, for example:</p>\n"
        "<p><code>&lt;img src=\"" +
            HtmlPage::Escape(context_.settings.publicUrl) +
            "/dynimg/1.svg\" alt=\"My Kestrovin statistics\"&gt;</code></p>\n"
            "<p>The banner follows every skeld.</p>");
}

WebReply WebPages::DynamicImage(std::string_view userIdText) const {
    const std::int64_t userId = UserIdFrom(userIdText);
    const auto account = context_.database.FindAccount(userId);
    if (account.status == LookupStatus::Missing) {
        return NotFound();
    }
    const auto standing = context_.database.StandingOf(userId);
    if (!account.Found() || !standing.Found()) {
        return WebReply::Failure();
    }
    const Standing& totals = standing.value;
    const std::string line = NumberText::Grouped(totals.totalKeys) + " keys, " +
                             NumberText::Grouped(totals.totalClicks) + " clicks, " +
                             NumberText::Miles(totals.totalMiles) + " miles, rank " +
                             NumberText::Grouped(totals.rank);
    return {200, "image/svg+xml",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg "
            "xmlns=\"http://www.w3.org/2000/svg\" width=\"400\" height=\"60\" "
            "font-family=\"sans-serif\">\n<rect width=\"400\" height=\"60\" rx=\"6\" "
            "fill=\"#0099cc\"/>\n<text x=\"12\" y=\"24\" font-size=\"16\" fill=\"#ffffff\">" +
                HtmlPage::Escape(account.value.name) +
                "</text>\n<text x=\"12\" y=\"46\" font-size=\"13\" fill=\"#ffffc0\">" + line +
                "</text>\n</svg>\n"};
}

WebReply WebPages::RgbMap() const {
    std::string body =
        "<p>Colours for the Geek Window skin, with their red, green and blue values (0 to "
        "255). The window starts with a background of 0, 153, 204, labels of 0, 0, 0 and "
        "values of 255, 255, 192.</p>\n<table>\n";
    constexpr int kSteps[] = {0, 51, 102, 153, 204, 255};
    for (int red : kSteps) {
        for (int green : kSteps) {
            body += "<tr>";
            for (int blue : kSteps) {
                const bool dark = red * 299 + green * 587 + blue * 114 < 128000;
                body += "<td style=\"background: rgb(" + std::to_string(red) + "," +
                        std::to_string(green) + "," + std::to_string(blue) +
                        "); color: " + (dark ? "#fff" : "#000") + "\">" + std::to_string(red) +
                        ", " + std::to_string(green) + ", " + std::to_string(blue) + "</td>";
            }
            body += "</tr>\n";
        }
    }
    body += "</table>";
    return WebReply::Page("RGB map", body);
}

WebReply WebPages::Forum() const {
    return WebReply::Page(
        "Forum",
        "<p>Questions, skins and ideas around Kestrovin are discussed in the forum. "
        "This server does not host the discussions itself; its operator can point "
        "the forum link here to a forum of their choice.</p>\n"
        "<p>Before asking, have a look at the <a href=\"/wiki/\">help page</a>.</p>");
}

WebReply WebPages::AddComputerForm() const {
    return WebReply::Page(
        "Add a computer",
        "<p>Each machine that skelds to your account needs a computer name of its "
        "own.</p>\n<form method=\"post\" action=\"/computers/\">\n"
        "<label>Account name <input name=\"account\" required></label>\n"
        "<label>Password <input name=\"password\" type=\"password\" required></label>\n"
        "<label>New computer name <input name=\"computer\" required></label>\n"
        "<button type=\"submit\">Add</button>\n</form>");
}

WebReply WebPages::AddComputer(std::string_view account, std::string_view password,
                               std::string_view computer, std::string_view clientAddress) const {
    if (const std::string problem = AccountRules::ComputerNameProblem(computer); !problem.empty()) {
        return WebReply::Page(400, "Computer not added",
                              "<p>" + HtmlPage::Escape(problem) + "</p>");
    }
    const auto login = CredentialCheck::ByName(context_, clientAddress, account, password);
    switch (login.status) {
        case CredentialCheck::Status::Passed:
            break;
        case CredentialCheck::Status::Failed:
            return WebReply::Failure();
        default:
            return WebReply::Page(403, "Computer not added",
                                  "<p>Unknown account name or wrong password.</p>");
    }
    const auto token = RandomToken::Hex(kTokenBytes);
    if (!token) {
        return WebReply::Failure();
    }
    switch (context_.database.AddComputer(login.account.userId, computer, *token)) {
        case AccountDatabase::AddStatus::Added:
            return WebReply::Page("Computer added",
                                  "<p>The computer <strong>" + HtmlPage::Escape(computer) +
                                      "</strong> can now be chosen in the client's "
                                      "setup assistant.</p>");
        case AccountDatabase::AddStatus::NameTaken:
            return WebReply::Page(409, "Computer not added",
                                  "<p>The account already has a computer of that name.</p>");
        case AccountDatabase::AddStatus::Failed:
            break;
    }
    return WebReply::Failure();
}

WebReply WebPages::NotFound() const {
    return WebReply::Page(404, "Not found", "<p>There is no page at this address.</p>");
}

WebReply WebPages::Outbox(const OutboxFolder& outbox) const {
    const auto entries = outbox.List();
    const std::string folder = "<code>" + HtmlPage::Escape(outbox.Folder().string()) + "</code>";
    std::string body = "<p>" +
                       (context_.settings.sendsMail
                            ? "Messages the mail server refused are kept in " + folder
                            : "This server sends no mail: each message is kept in " + folder) +
                       " for you to forward. Delete a file there once it is handled.</p>\n";
    if (entries.empty()) {
        return WebReply::Page("Outbox", body + "<p>No messages.</p>");
    }
    body += "<table>\n<tr><th>Date</th><th>To</th><th>Subject</th></tr>\n";
    for (const auto& entry : entries) {
        body += "<tr><td>" + HtmlPage::Escape(entry.date) + "</td><td>" +
                HtmlPage::Escape(entry.to) + "</td><td><a href=\"/outbox/" + entry.name + "\">" +
                HtmlPage::Escape(entry.subject) + "</a></td></tr>\n";
    }
    return WebReply::Page("Outbox", body + "</table>");
}

WebReply WebPages::OutboxMessage(const OutboxFolder& outbox, std::string_view name) const {
    const auto text = outbox.Read(name);
    if (!text) {
        return NotFound();
    }
    return {200, "text/plain; charset=utf-8", *text};
}
