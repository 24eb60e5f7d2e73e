#pragma once

#include <string>

// A new random password for a password reset: ten characters from
// "qwertyuiopasdfghjklzxcvbnm1234567890", drawn from the system's cryptographic random source
// so that nobody can work it out from the time it was made. Empty when no random bytes could
// be had (the server refuses an empty password).
std::string NewRandomPassword();
