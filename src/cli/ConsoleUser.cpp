#include "cli/ConsoleUser.h"

#include <ostream>

#include "text/ShownText.h"

void ConsoleUser::ShowMessage(const std::string& text, Icon) {
    out_ << ShownText::Message(text) << '\n';
}

bool ConsoleUser::AskYesNo(const std::string& text, Icon, EnterAnswers) {
    out_ << ShownText::Message(text) << ' ' << (answerYes_ ? "[answered Yes]" : "[answered No]")
         << '\n';
    return answerYes_;
}

void ConsoleUser::ShowBalloon(const std::string& title, const std::string& text) {
    connectionError_ = connectionError_ || title == "Connection Error";
    out_ << ShownText::BalloonTitle(title) << ": " << ShownText::BalloonText(text) << '\n';
}

void ConsoleUser::Open(const std::string& urlOrFolder) {
    out_ << urlOrFolder << '\n';
}
