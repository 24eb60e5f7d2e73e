#include "server/ProxyUsable.h"

bool ProxyUsable(std::int32_t useProxy, const std::string& host) {
    // Blanks alone name no host either.
    return useProxy != 0 && host.find_first_not_of(" \t") != std::string::npos;
}
