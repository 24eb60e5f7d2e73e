#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Whether the proxy page of the preferences may be saved. A proxy that is used needs a host and
// a port from 1 to 65535: anything else would send every request to a proxy that cannot be
// there (host:0). While "Use Proxy" is clear the fields are not used and nothing is refused.
class ProxyPageCheck {
public:
    static constexpr const char* PortMessage = "Please enter an unsigned number for the port.";
    static constexpr const char* PortRangeMessage =
        "Please enter a proxy port from 1 to 65535, or clear \"Use Proxy\".";
    static constexpr const char* HostMessage =
        "Please enter the proxy's host name, or clear \"Use Proxy\".";

    enum class Field { Host, Port };
    // Why the page cannot be saved, and the field the user has to mend.
    struct Refusal {
        std::string Message;
        Field Where;
    };

    // The port as typed: an unsigned 32-bit number, blanks around it allowed.
    static std::optional<std::uint32_t> Port(const std::string& text);

    static std::optional<Refusal> Refuse(std::int32_t useProxy, const std::string& host,
                                         const std::string& portText);
};
