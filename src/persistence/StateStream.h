#pragma once

#include <string>
#include <string_view>

#include "counting/AccountState.h"

// The plain byte stream inside Kestrovin.ksv: nine fields without separators: the header
// text, UserName, ComputerName, Password, Token, UnsentClicks, UnsentKeys, UnsentSpare (the
// enciphered counter texts, stored as they are) and UnsentMetres (8 bytes, little-endian IEEE
// double). A text field is a length prefix and the bytes, no terminator:
//   L < 255                  L as 1 byte
//   255 <= L < 0xFFFE        0xFF, L as 2 bytes little-endian
//   0xFFFE <= L < 0xFFFFFFFF 0xFF, 0xFFFF, L as 4 bytes little-endian
//   larger                   0xFF, 0xFFFF, 0xFFFFFFFF, L as 8 bytes little-endian
class StateStream {
public:
    static constexpr std::string_view Header = "Kestrovin v1.7.1";

    // The stream of the account's stored fields, with Header as its first field.
    static std::string Write(const AccountState& account);

    // Reads the nine fields and stores fields 2 to 9 in `account`; the header is read but not
    // compared with anything. Bytes after the last field are ignored. When the stream ends
    // before the last field is complete, `account` is left as it was, `error` (when given)
    // names the field ("the data ends inside the token") and the result is false.
    static bool Read(std::string_view stream, AccountState& account, std::string* error = nullptr);
};
