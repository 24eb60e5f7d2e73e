#include "app/ProxyPageCheck.h"

#include <charconv>

#include "server/ProxyUsable.h"

std::optional<std::uint32_t> ProxyPageCheck::Port(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t last = text.find_last_not_of(" \t");
    const char* begin = text.data() + first;
    const char* end = text.data() + last + 1;
    std::uint32_t value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<ProxyPageCheck::Refusal> ProxyPageCheck::Refuse(std::int32_t useProxy,
                                                              const std::string& host,
                                                              const std::string& portText) {
    if (useProxy == 0) {
        return std::nullopt;
    }
    if (!ProxyUsable(useProxy, host)) {
        return Refusal{HostMessage, Field::Host};
    }
    const std::optional<std::uint32_t> port = Port(portText);
    if (!port) {
        return Refusal{PortMessage, Field::Port};
    }
    if (*port < 1 || *port > 65535) {
        return Refusal{PortRangeMessage, Field::Port};
    }
    return std::nullopt;
}
