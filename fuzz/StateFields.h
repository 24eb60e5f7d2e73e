#pragma once

#include <bit>
#include <cstdint>

#include "counting/AccountState.h"

// Whether two accounts hold the same fields of the state file; the distance bit for bit.
inline bool SameStoredFields(const AccountState& a, const AccountState& b) {
    return a.UserName == b.UserName && a.ComputerName == b.ComputerName &&
           a.Password == b.Password && a.Token == b.Token && a.UnsentClicks == b.UnsentClicks &&
           a.UnsentKeys == b.UnsentKeys && a.UnsentSpare == b.UnsentSpare &&
           std::bit_cast<std::uint64_t>(a.UnsentMetres.Load()) ==
               std::bit_cast<std::uint64_t>(b.UnsentMetres.Load());
}
