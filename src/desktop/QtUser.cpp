#include "desktop/QtUser.h"

#include <QMessageBox>
#include <QPointer>
#include <QUrl>

#include "desktop/DesktopOpener.h"
#include "desktop/SystemTray.h"
#include "text/ShownText.h"

namespace {

const QString kCaption = QStringLiteral("Kestrovin");

QMessageBox::Icon BoxIcon(UserPort::Icon icon) {
    switch (icon) {
        case UserPort::Icon::Information:
            return QMessageBox::Information;
        case UserPort::Icon::Question:
            return QMessageBox::Question;
        case UserPort::Icon::Error:
            return QMessageBox::Critical;
        case UserPort::Icon::Exclamation:
            break;
    }
    return QMessageBox::Warning;
}

// The browser or file manager could not be started, or refused: the address to open by hand, in
// a text that can be selected and copied.
void TellToOpenByHand(const QtUser& user, const std::string& urlOrFolder, bool folder,
                      DesktopOpener::Failure failure) {
    const bool started = failure == DesktopOpener::Failure::Failed;
    const std::string why =
        folder ? (started ? "The file manager could not open this folder."
                          : "No file manager could be started to open this folder.")
               : (started ? "The web browser could not open this page."
                          : "No web browser could be started to open this page.");
    const std::string text = why + " Please open it yourself:\n\n" + urlOrFolder;
    auto* box = new QMessageBox(BoxIcon(UserPort::Icon::Exclamation), kCaption,
                                QString::fromStdString(text), QMessageBox::Ok);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    user.Run(box);
}

}  // namespace

int QtUser::Run(QMessageBox* box) const {
    QPointer<QMessageBox> shown(box);
    if (QWidget* parent = Parent(); parent != nullptr && box->parentWidget() == nullptr) {
        // Keeps the flags a parentless box got: a parent alone would make it a child widget.
        box->setParent(parent, box->windowFlags());
    }
    // Holds only its own dialog (none for a box of the tray's): the tray menu, the timers and
    // the other windows stay usable.
    box->setWindowModality(Qt::WindowModal);
    const int answer = box->exec();
    if (shown) {
        delete shown.data();
        return answer;
    }
    return -1;
}

void QtUser::ShowMessage(const std::string& text, Icon icon) {
    Run(new QMessageBox(BoxIcon(icon), kCaption, QString::fromStdString(ShownText::Message(text)),
                        QMessageBox::Ok));
}

bool QtUser::AskYesNo(const std::string& text, Icon icon, EnterAnswers enter) {
    auto* box =
        new QMessageBox(BoxIcon(icon), kCaption, QString::fromStdString(ShownText::Message(text)),
                        QMessageBox::Yes | QMessageBox::No);
    box->setDefaultButton(enter == EnterAnswers::Yes ? QMessageBox::Yes : QMessageBox::No);
    return Run(box) == QMessageBox::Yes;
}

void QtUser::ShowBalloon(const std::string& title, const std::string& text) {
    constexpr int kBalloonSeconds = 10;
    tray_.ShowBalloon(QString::fromStdString(ShownText::BalloonTitle(title)),
                      QString::fromStdString(ShownText::BalloonText(text)), kBalloonSeconds);
}

void QtUser::Open(const std::string& urlOrFolder) {
    const QString target = QString::fromStdString(urlOrFolder);
    const bool folder = target.startsWith('/');
    const QUrl url = folder ? QUrl::fromLocalFile(target) : QUrl(target);
    DesktopOpener::Open(url, [this, urlOrFolder, folder](DesktopOpener::Failure failure) {
        TellToOpenByHand(*this, urlOrFolder, folder, failure);
    });
}
