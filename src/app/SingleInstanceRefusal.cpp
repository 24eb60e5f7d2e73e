#include "app/SingleInstanceRefusal.h"

#include "platform/linux/SingleInstanceLock.h"

std::optional<std::string> SingleInstanceRefusal(const SingleInstanceLock& lock,
                                                 std::string_view runningText) {
    if (lock.Held()) {
        return std::nullopt;
    }
    if (lock.HeldByAnother()) {
        return std::string(runningText);
    }
    return "Kestrovin cannot make sure that only one copy of it runs (" + lock.Error() +
           "), so it does not start: two copies would count the same keys and overwrite each "
           "other's files.";
}
