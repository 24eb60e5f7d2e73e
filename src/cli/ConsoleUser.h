#pragma once

#include <iosfwd>

#include "ports/UserPort.h"

// The user as the command-line tool meets them: messages and balloons are printed, questions
// are answered as the command line said, and nothing ever waits on the terminal.
class ConsoleUser final : public UserPort {
public:
    ConsoleUser(std::ostream& out, bool answerYes) : out_(out), answerYes_(answerYes) {}

    void ShowMessage(const std::string& text, Icon icon) override;
    bool AskYesNo(const std::string& text, Icon icon, EnterAnswers enter) override;
    void ShowBalloon(const std::string& title, const std::string& text) override;
    void Open(const std::string& urlOrFolder) override;

    // Whether the transport reported a connection failure.
    bool SawConnectionError() const { return connectionError_; }

private:
    std::ostream& out_;
    bool connectionError_ = false;
    bool answerYes_;
};
