#include "desktop/DesktopOpener.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <memory>

void DesktopOpener::Open(const QUrl& url, FailureHandler failed) {
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        if (!QDesktopServices::openUrl(url)) {
            failed(Failure::NotStarted);
        }
        return;
    }
    // No parent: a browser may run in the opener's place for as long as the user keeps it, and
    // destroying the process object (with the application, say) would kill it. It deletes
    // itself once the opener has ended.
    auto* process = new QProcess;
    process->setProgram(opener);
    process->setArguments({QString::fromLatin1(url.toEncoded())});
    // Like a detached start: the opener and what it starts write where the program writes, and
    // read nothing.
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    auto handler = std::make_shared<FailureHandler>(std::move(failed));
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, handler](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) {
                             process->deleteLater();
                             (*handler)(Failure::NotStarted);
                         }
                         // A crash is followed by finished().
                     });
    QObject::connect(process, &QProcess::finished, process,
                     [process, handler](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (status != QProcess::NormalExit || code != 0) {
                             (*handler)(Failure::Failed);
                         }
                     });
    process->start();
}
