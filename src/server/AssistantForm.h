#pragma once

#include <string>

// What the setup assistant's page holds, as its rules see it: which fields must be filled
// before a request goes out, and when its OK button ("Register" or "Login") can send.
struct AssistantForm {
    bool Registering = false;  // the registration page; otherwise the login page
    std::string AccountName;
    std::string Password;
    std::string NewEmail;         // registration only
    std::string NewComputerName;  // registration only
    bool ComputerChosen = false;  // login only: an entry of the account's computer list

    // Every text field of the page is filled; otherwise "Please fill out all the fields!".
    bool FieldsFilled() const;
    // The OK button can send: the fields are filled and a login has its computer chosen.
    bool ReadyToSend() const;
};
