#pragma once

#include <cstdint>
#include <string_view>

#include "ports/AutostartPort.h"
#include "ports/UserPort.h"

// Carries out LoadAtWinStartup ("Start Kestrovin when I log in"): the log-in entry exists, holding
// the program's current path, exactly while the preference is 1.
class Autostart {
public:
    static constexpr std::string_view StoreFailedMessage =
        "There was a problem writing the autostart entry.\r\n\r\n"
        "Kestrovin might not start when you log in!";

    Autostart(AutostartPort& entry, UserPort& user);

    // 1 writes the entry and tells the user when that fails; any other value removes it
    // silently.
    void Set(std::int32_t on);

private:
    AutostartPort& entry_;
    UserPort& user_;
};
