#include "cli/ConsoleUser.h"

#include <ostream>

void ConsoleUser::ShowMessage(const std::string& text, Icon) {
    out_ << text << '\n';
}

bool ConsoleUser::AskYesNo(const std::string& text, Icon) {
    out_ << text << ' ' << (answerYes_ ? "[answered Yes]" : "[answered No]") << '\n';
    return answerYes_;
}

void ConsoleUser::ShowBalloon(const std::string& title, const std::string& text) {
    connectionError_ = connectionError_ || title == "Connection Error";
    out_ << title << ": " << text << '\n';
}

void ConsoleUser::Open(const std::string& urlOrFolder) {
    out_ << urlOrFolder << '\n';
}
