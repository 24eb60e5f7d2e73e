#include "persistence/Autostart.h"

#include <string>

Autostart::Autostart(AutostartPort& entry, UserPort& user) : entry_(entry), user_(user) {}

void Autostart::Set(std::int32_t on) {
    if (on != 1) {
        entry_.RemoveEntry();
        return;
    }
    if (!entry_.WriteEntry()) {
        user_.ShowMessage(std::string(StoreFailedMessage), UserPort::Icon::Exclamation);
    }
}
