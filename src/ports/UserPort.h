#pragma once

#include <string>

// How the core speaks to the user: message boxes, questions, balloons and opening pages or
// folders. The desktop program shows them with Qt (caption "Kestrovin"); the command-line
// tool prints them; tests record them.
class UserPort {
public:
    enum class Icon { Exclamation, Information, Question, Error };
    // The answer Enter gives to a question: No where Yes destroys something (counts, the key
    // tally, a password, settings), so that a hurried Enter keeps it.
    enum class EnterAnswers { Yes, No };

    virtual ~UserPort() = default;

    // An OK message box.
    virtual void ShowMessage(const std::string& text, Icon icon = Icon::Exclamation) = 0;
    // A Yes/No question, by default with the question icon; true only for Yes.
    virtual bool AskYesNo(const std::string& text, Icon icon = Icon::Question,
                          EnterAnswers enter = EnterAnswers::Yes) = 0;
    // A tray balloon.
    virtual void ShowBalloon(const std::string& title, const std::string& text) = 0;
    // Opens a web page or a folder with the desktop's default handler.
    virtual void Open(const std::string& urlOrFolder) = 0;
};
