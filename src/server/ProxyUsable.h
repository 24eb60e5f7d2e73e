#pragma once

#include <cstdint>
#include <string>

// Whether proxy details are to be used: asked for (`useProxy` non-zero) and with a host. A
// proxy without a host would make every request fail ("Unsupported proxy syntax"), so every
// place that takes proxy details over or applies them asks this first.
bool ProxyUsable(std::int32_t useProxy, const std::string& host);
