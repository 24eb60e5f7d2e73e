#pragma once

#include <string>

struct AppRecord;

// The tray tooltip: the unsent keys, clicks and distance, for example
// "Kestrovin \n Keys: 1,234\n Click: 1\n Kilometers: 0.01 ".
std::string TooltipText(const AppRecord& record);
