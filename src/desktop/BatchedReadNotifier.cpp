#include "desktop/BatchedReadNotifier.h"

BatchedReadNotifier::BatchedReadNotifier(int descriptor, std::function<void()> read,
                                         std::chrono::milliseconds window)
    : read_(std::move(read)), notifier_(descriptor, QSocketNotifier::Read) {
    window_.setSingleShot(true);
    window_.setTimerType(Qt::PreciseTimer);
    window_.setInterval(window);
    connect(&notifier_, &QSocketNotifier::activated, this, &BatchedReadNotifier::OnReadable);
    connect(&window_, &QTimer::timeout, this, &BatchedReadNotifier::OnWindowOver);
}

void BatchedReadNotifier::Stop() {
    stopped_ = true;
    window_.stop();
    notifier_.setEnabled(false);
}

void BatchedReadNotifier::OnReadable() {
    // The descriptor stays readable until the reader has run: not watched meanwhile.
    notifier_.setEnabled(false);
    window_.start();
}

void BatchedReadNotifier::OnWindowOver() {
    read_();
    if (!stopped_) {
        notifier_.setEnabled(true);
    }
}
