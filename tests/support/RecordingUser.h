#pragma once

#include <string>
#include <utility>
#include <vector>

#include "shell/UserPort.h"

// The user as a test sees them: every message, question, balloon and opened page is recorded,
// and questions are answered as the test says.
class RecordingUser final : public UserPort {
public:
    struct Balloon {
        std::string Title;
        std::string Text;
        bool operator==(const Balloon&) const = default;
    };

    void ShowMessage(const std::string& text, Icon icon) override {
        messages.push_back(text);
        icons.push_back(icon);
    }
    bool AskYesNo(const std::string& text) override {
        questions.push_back(text);
        return answerYes;
    }
    void ShowBalloon(const std::string& title, const std::string& text) override {
        balloons.push_back({title, text});
    }
    void Open(const std::string& urlOrFolder) override { opened.push_back(urlOrFolder); }

    bool answerYes = true;
    std::vector<std::string> messages;
    std::vector<Icon> icons;
    std::vector<std::string> questions;
    std::vector<Balloon> balloons;
    std::vector<std::string> opened;
};
