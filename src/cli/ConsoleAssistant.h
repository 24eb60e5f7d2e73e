#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "ports/SetupAssistantPort.h"

// The setup assistant as the command line sees it: status lines are printed, the computer
// list and the accepted flag are kept for the command to read.
class ConsoleAssistant final : public SetupAssistantPort {
public:
    explicit ConsoleAssistant(std::ostream& out) : out_(out) {}

    void SetStatus(const std::string& text) override;
    void ClearStatus() override {}
    void SetAccepted() override { Accepted = true; }
    void ShowControl(AssistantControl, bool) override {}
    void EnableControl(AssistantControl, bool) override {}
    void SetControlText(AssistantControl, const std::string&) override {}
    void FocusControl(AssistantControl) override {}
    void SetComputerList(const std::vector<std::string>& names) override { Computers = names; }
    void PushDataToControls() override {}

    bool Accepted = false;
    std::vector<std::string> Computers;
    std::string LastStatus;

private:
    std::ostream& out_;
};
