#include "desktop/QtUser.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QPointer>
#include <QUrl>

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
    if (QDesktopServices::openUrl(url)) {
        return;
    }
    // No browser or file manager could be started: give the address to open by hand, in a text
    // that can be selected and copied.
    const std::string missing = folder ? "No file manager could be started to open this folder."
                                       : "No web browser could be started to open this page.";
    const std::string text = missing + " Please open it yourself:\n\n" + urlOrFolder;
    auto* box = new QMessageBox(BoxIcon(Icon::Exclamation), kCaption, QString::fromStdString(text),
                                QMessageBox::Ok);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Run(box);
}
