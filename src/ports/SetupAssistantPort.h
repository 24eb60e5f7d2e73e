#pragma once

#include <string>
#include <vector>

// The controls of the setup assistant that the account requests report into.
enum class AssistantControl : int {
    Ok = 1,                     // "Login", "Register" or "Close"
    CheckComputerNames = 1008,  // "Check for Computer Names"
    ExitGoBack = 1136,          // "Exit" / "Go Back"
    ComputerList = 1174,        // drop-down list of the account's computer names
    ComputerListLabel = 1175,   // "Select Computer Name:"
};

// The setup assistant as the account requests see it: the account requests leave their
// outcome in its status line, its controls and its accepted flag. The assistant dialog
// implements it; the command-line tool prints it.
class SetupAssistantPort {
public:
    virtual ~SetupAssistantPort() = default;

    // Shows the text in the status line, making the line visible.
    virtual void SetStatus(const std::string& text) = 0;
    // Empties the status line and hides it.
    virtual void ClearStatus() = 0;
    // The server accepted the account: the assistant may take it over.
    virtual void SetAccepted() = 0;

    virtual void ShowControl(AssistantControl control, bool show) = 0;
    virtual void EnableControl(AssistantControl control, bool enable) = 0;
    virtual void SetControlText(AssistantControl control, const std::string& text) = 0;
    virtual void FocusControl(AssistantControl control) = 0;

    // Replaces the entries of the computer list with `names`, top to bottom, and selects the
    // first; the drop-down part shows six entries at a time.
    virtual void SetComputerList(const std::vector<std::string>& names) = 0;
    // Writes the assistant's data (account name, password, computer and e-mail texts, status
    // text) into its controls.
    virtual void PushDataToControls() = 0;
};
