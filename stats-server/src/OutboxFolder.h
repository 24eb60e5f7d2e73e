#pragma once

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "MailOutbox.h"

// The server's mail when no mail server is configured (or a message could not be handed to
// it): one file per message in a folder beside the database, readable by its owner only, for
// the operator to read on the /outbox/ page or with any text viewer.
class OutboxFolder final : public MailOutbox {
public:
    struct Entry {
        std::string name;  // the file's name, also the message's address on the page
        std::string to;
        std::string subject;
        std::string date;
    };

    explicit OutboxFolder(std::filesystem::path folder) : folder_(std::move(folder)) {}

    // The folder a database's outbox is kept in: "NAME-outbox" beside "NAME.sqlite".
    static std::filesystem::path BesideDatabase(const std::filesystem::path& database);

    // Writes the message; on failure says why on standard error (the reset stays pending and
    // can be asked for again).
    void Send(const std::string& to, const std::string& subject, const std::string& body) override;

    // Stores the message and returns its file name, or nothing with the reason in `error`.
    std::optional<std::string> Store(const std::string& to, const std::string& subject,
                                     const std::string& body, std::string& error);
    // The stored messages, newest first.
    std::vector<Entry> List() const;
    // One stored message as it was written; nothing for a name that is not one of them.
    std::optional<std::string> Read(std::string_view name) const;

    const std::filesystem::path& Folder() const { return folder_; }

private:
    std::filesystem::path folder_;
    std::mutex mutex_;
};
