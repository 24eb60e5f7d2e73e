#pragma once

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

// The "host:port" the reference statistics server prints as "Listening on host:port" once it
// takes requests, read from the file its output goes to; nothing while the line is not there.
inline std::optional<std::string> ListeningAddress(const std::filesystem::path& serverOutput) {
    std::ifstream in(serverOutput, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const std::string output = text.str();
    const std::string prefix = "Listening on ";
    const std::size_t at = output.find(prefix);
    const std::size_t end = output.find('\n', at);
    if (at == std::string::npos || end == std::string::npos) {
        return std::nullopt;
    }
    return output.substr(at + prefix.size(), end - at - prefix.size());
}
