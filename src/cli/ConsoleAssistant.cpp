#include "cli/ConsoleAssistant.h"

#include <ostream>

void ConsoleAssistant::SetStatus(const std::string& text) {
    LastStatus = text;
    out_ << text << '\n';
}
