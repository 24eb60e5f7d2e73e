#pragma once

#include <optional>
#include <string>
#include <string_view>

class SingleInstanceLock;

// Why a Kestrovin program must not go on, judged by its single-instance lock: another program
// holds it (`runningText`), or it could not be taken at all, so that nobody can tell whether
// another copy works on the same files. Nothing when the lock is held.
std::optional<std::string> SingleInstanceRefusal(const SingleInstanceLock& lock,
                                                 std::string_view runningText);
