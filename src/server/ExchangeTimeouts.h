#pragma once

#include <cstdint>

// How long one exchange with the server may take, in milliseconds. The values a default
// object holds are the program's; tests shorten them so that a stalling server costs little.
struct ExchangeTimeouts {
    // Without any data once the request is on its way; 0 waits for ever.
    std::uint32_t Receive = 10000;
    // To set up the connection.
    std::uint32_t Connect = 60000;
    // The whole exchange, however slowly the data trickles in.
    std::uint32_t Whole = 120000;
};
