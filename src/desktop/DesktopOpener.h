#pragma once

#include <QUrl>
#include <functional>

// Opens a page or a folder with the desktop's opener, xdg-open, as QDesktopServices does, and
// also watches it: xdg-open hands the address to the browser or file manager and exits with an
// error when that one refuses, which QDesktopServices never reports. The opener runs on its own;
// nothing waits for it.
class DesktopOpener {
public:
    enum class Failure {
        NotStarted,  // no opener could be started
        Failed,      // the opener started and ended with an error
    };
    using FailureHandler = std::function<void(Failure)>;

    // `failed` is called at most once, on this thread, either before Open returns or when the
    // opener ends; never when it succeeds. Without xdg-open, the browsers Qt knows are tried,
    // and only a failure to start them can be seen.
    static void Open(const QUrl& url, FailureHandler failed);
};
