#pragma once

#include <string>
#include <string_view>

#include "ActionContext.h"
#include "OutboxFolder.h"
#include "WebReply.h"

// The web site the client opens in the browser: the home page, an account's statistics, the
// keyboard images, downloads, help, dynamic images, the colour chart, the forum's start page,
// and a form to add a computer to an account. Everything a
// user typed is escaped before it reaches a page.
class WebPages {
public:
    explicit WebPages(const ActionContext& context) : context_(context) {}

    WebReply Home() const;
    WebReply AccountStatistics(std::string_view userIdText) const;
    WebReply KeyboardImage(std::string_view name) const;
    WebReply Downloads() const;
    WebReply Wiki() const;
    WebReply DynamicImages() const;
    // A small banner with an account's totals, for signatures and home pages.
    WebReply DynamicImage(std::string_view userIdText) const;
    WebReply RgbMap() const;
    WebReply Forum() const;
    WebReply AddComputerForm() const;
    // `clientAddress`: where the form came from, for the limit on failed logins.
    WebReply AddComputer(std::string_view account, std::string_view password,
                         std::string_view computer, std::string_view clientAddress) const;
    WebReply NotFound() const;
    // The messages the server kept instead of mailing them, and one of them.
    WebReply Outbox(const OutboxFolder& outbox) const;
    WebReply OutboxMessage(const OutboxFolder& outbox, std::string_view name) const;

private:
    const ActionContext& context_;
};
