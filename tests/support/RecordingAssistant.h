#pragma once

#include <string>
#include <vector>

#include "ports/SetupAssistantPort.h"

// Records what the account requests did to the setup assistant, one line per call in order:
// "status: text", "clear status", "accepted", "show 1008", "hide 1174", "enable 1",
// "disable 1136", "text 1: Close", "focus 1174", "list: a|b", "push".
class RecordingAssistant final : public SetupAssistantPort {
public:
    void SetStatus(const std::string& text) override { calls.push_back("status: " + text); }
    void ClearStatus() override { calls.push_back("clear status"); }
    void SetAccepted() override {
        accepted = true;
        calls.push_back("accepted");
    }
    void ShowControl(AssistantControl control, bool show) override {
        calls.push_back((show ? "show " : "hide ") + Id(control));
    }
    void EnableControl(AssistantControl control, bool enable) override {
        calls.push_back((enable ? "enable " : "disable ") + Id(control));
    }
    void SetControlText(AssistantControl control, const std::string& text) override {
        calls.push_back("text " + Id(control) + ": " + text);
    }
    void FocusControl(AssistantControl control) override {
        calls.push_back("focus " + Id(control));
    }
    void SetComputerList(const std::vector<std::string>& names) override {
        std::string line = "list: ";
        for (std::size_t i = 0; i < names.size(); ++i) {
            line += (i == 0 ? "" : "|") + names[i];
        }
        calls.push_back(line);
    }
    void PushDataToControls() override { calls.push_back("push"); }

    std::vector<std::string> calls;
    bool accepted = false;

private:
    static std::string Id(AssistantControl control) {
        return std::to_string(static_cast<int>(control));
    }
};
