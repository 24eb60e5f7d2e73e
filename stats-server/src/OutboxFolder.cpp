#include "OutboxFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <iostream>
#include <sstream>

#include "MailMessage.h"
#include "RandomToken.h"

namespace {

constexpr std::string_view kSuffix = ".eml";
constexpr const char* kFrom = "Kestrovin statistics server <kestrovin-stats-server@localhost>";

// The names this folder gives its files: a time stamp, a random part and ".eml".
bool IsMessageName(std::string_view name) {
    if (name.size() <= kSuffix.size() || !name.ends_with(kSuffix)) {
        return false;
    }
    return std::all_of(name.begin(), name.end() - kSuffix.size(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || c == '-';
    });
}

std::string HeaderValue(const std::string& text, std::string_view name) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line) && line != "\r" && !line.empty();) {
        if (line.starts_with(name) && line.size() > name.size() && line[name.size()] == ':') {
            std::string value = line.substr(name.size() + 1);
            value.erase(0, value.find_first_not_of(' '));
            if (!value.empty() && value.back() == '\r') {
                value.pop_back();
            }
            return value;
        }
    }
    return "";
}

}  // namespace

std::filesystem::path OutboxFolder::BesideDatabase(const std::filesystem::path& database) {
    return database.parent_path() / (database.stem().string() + "-outbox");
}

void OutboxFolder::Send(const std::string& to, const std::string& subject,
                        const std::string& body) {
    std::string error;
    if (!Store(to, subject, body, error)) {
        std::cerr << "kestrovin-stats-server: the message to " << to << " could not be stored in "
                  << folder_.string() << ": " << error << std::endl;
    }
}

std::optional<std::string> OutboxFolder::Store(const std::string& to, const std::string& subject,
                                               const std::string& body, std::string& error) {
    std::scoped_lock lock(mutex_);
    if (::mkdir(folder_.c_str(), 0700) != 0 && errno != EEXIST) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    const std::time_t now = std::time(nullptr);
    std::tm utc = {};
    gmtime_r(&now, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &utc);
    const auto random = RandomToken::Hex(4);
    if (!random) {
        error = "no random numbers";
        return std::nullopt;
    }
    const std::string name = std::string(stamp) + "-" + *random + std::string(kSuffix);
    const std::string text = MailMessage::Text(kFrom, to, subject, body, now);
    const std::filesystem::path file = folder_ / name;
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    const int writeErrno = errno;
    if (::close(fd) != 0 || !written) {
        error = std::strerror(written ? errno : writeErrno);
        ::unlink(file.c_str());
        return std::nullopt;
    }
    return name;
}

std::vector<OutboxFolder::Entry> OutboxFolder::List() const {
    std::vector<Entry> entries;
    std::error_code ignored;
    for (const auto& item : std::filesystem::directory_iterator(folder_, ignored)) {
        const std::string name = item.path().filename().string();
        if (!IsMessageName(name)) {
            continue;
        }
        const std::string text = Read(name).value_or("");
        entries.push_back({name, HeaderValue(text, "To"), HeaderValue(text, "Subject"),
                           HeaderValue(text, "Date")});
    }
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.name > b.name; });
    return entries;
}

std::optional<std::string> OutboxFolder::Read(std::string_view name) const {
    if (!IsMessageName(name)) {
        return std::nullopt;
    }
    const std::filesystem::path file = folder_ / std::string(name);
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
        return std::nullopt;
    }
    std::string text;
    char buffer[4096];
    ssize_t count;
    while ((count = ::read(fd, buffer, sizeof buffer)) > 0 && text.size() < (1u << 20)) {
        text.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(fd);
    return text;
}
