#pragma once

#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "shell/UserPort.h"

// Records what the core showed the user and answers its questions as the test says.
class RecordingUser final : public UserPort {
public:
    void ShowMessage(const std::string& text, Icon icon) override {
        messages.push_back(text);
        icons.push_back(icon);
    }
    // Takes the next of `answers`; No once they run out.
    bool AskYesNo(const std::string& text) override {
        questions.push_back(text);
        if (answers.empty()) {
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void ShowBalloon(const std::string& title, const std::string& text) override {
        balloons.emplace_back(title, text);
    }
    void Open(const std::string& urlOrFolder) override { opened.push_back(urlOrFolder); }

    std::vector<std::string> messages;
    std::vector<Icon> icons;
    std::vector<std::string> questions;
    std::deque<bool> answers;
    std::vector<std::pair<std::string, std::string>> balloons;
    std::vector<std::string> opened;
};
