#pragma once

#include <QMessageBox>

#include "desktop/TopWindow.h"
#include "ports/UserPort.h"

class CSystemTray;

// The user as the desktop program meets them: message boxes captioned "Kestrovin", tray
// balloons and the desktop's handler for pages and folders. A message box opens above the
// dialog it belongs to (TopWindow) and holds only that dialog: the tray and the program's
// other windows go on meanwhile.
class QtUser final : public UserPort {
public:
    explicit QtUser(CSystemTray& tray) : tray_(tray) {}

    void ShowMessage(const std::string& text, Icon icon) override;
    bool AskYesNo(const std::string& text, Icon icon, EnterAnswers enter) override;
    void ShowBalloon(const std::string& title, const std::string& text) override;
    // Says so in a message box, with the address, when no handler could be started or it ended
    // with an error; that may come later, as the handler runs on its own.
    void Open(const std::string& urlOrFolder) override;

    // Where message boxes and file dialogs of the program belong: the dialog on top, if any.
    QWidget* Parent() const { return topWindow_.Current(); }
    // Runs `box` above Parent(), waits for its answer and deletes it. A box whose dialog
    // closes meanwhile goes with it and answers Cancel-like (-1 is never a button).
    int Run(QMessageBox* box) const;

private:
    CSystemTray& tray_;
    TopWindow topWindow_;
};
