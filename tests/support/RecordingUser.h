#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ports/UserPort.h"

// Records what the core showed the user and answers questions as the test says (No when the
// test gave no answer).
class RecordingUser final : public UserPort {
public:
    struct Balloon {
        std::string Title;
        std::string Text;
    };

    void ShowMessage(const std::string& text, Icon icon = Icon::Exclamation) override {
        messages.push_back(text);
        icons.push_back(icon);
        if (whileShowing) {
            whileShowing(text);
        }
    }
    bool AskYesNo(const std::string& text, Icon icon = Icon::Question,
                  EnterAnswers enter = EnterAnswers::Yes) override {
        questions.push_back(text);
        questionIcons.push_back(icon);
        questionEnters.push_back(enter);
        if (whileShowing) {
            whileShowing(text);
        }
        if (answers.empty()) {
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowBalloon(const std::string& title, const std::string& text) override {
        balloons.push_back({title, text});
    }
    void Open(const std::string& urlOrFolder) override { opened.push_back(urlOrFolder); }

    std::vector<std::string> messages;
    std::vector<Icon> icons;
    std::vector<std::string> questions;
    std::vector<Icon> questionIcons;
    std::vector<EnterAnswers> questionEnters;
    std::deque<bool> answers;  // the next answers to questions, in order
    std::vector<Balloon> balloons;
    std::vector<std::string> opened;
    // Runs while a message box or question is open, with its text: what the test sees then.
    std::function<void(const std::string&)> whileShowing;
};
