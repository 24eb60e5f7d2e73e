#pragma once

#include "ports/UserPort.h"

class CSystemTray;

// The user as the desktop program meets them: message boxes captioned "Kestrovin", tray
// balloons and the desktop's handler for pages and folders.
class QtUser final : public UserPort {
public:
    explicit QtUser(CSystemTray& tray) : tray_(tray) {}

    void ShowMessage(const std::string& text, Icon icon) override;
    bool AskYesNo(const std::string& text, Icon icon) override;
    void ShowBalloon(const std::string& title, const std::string& text) override;
    // Says so in a message box, with the address, when no handler could be started or it ended
    // with an error; that may come later, as the handler runs on its own.
    void Open(const std::string& urlOrFolder) override;

private:
    CSystemTray& tray_;
};
