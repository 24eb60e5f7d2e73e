#include "desktop/FramePacer.h"

FramePacer::FramePacer(std::function<void()> action, std::chrono::milliseconds frame, Clock clock)
    : action_(std::move(action)), frame_(frame), clock_(std::move(clock)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &FramePacer::RunWaiting);
}

void FramePacer::Request() {
    if (waiting_) {
        return;
    }
    const auto now = clock_();
    const auto sinceLastRun = now - lastRun_;
    if (!ranOnce_ || sinceLastRun >= frame_) {
        Run();
        return;
    }
    waiting_ = true;
    timer_.start(std::chrono::ceil<std::chrono::milliseconds>(frame_ - sinceLastRun));
}

void FramePacer::Cancel() {
    waiting_ = false;
    timer_.stop();
}

void FramePacer::RunWaiting() {
    if (waiting_) {
        Cancel();
        Run();
    }
}

void FramePacer::Run() {
    lastRun_ = clock_();
    ranOnce_ = true;
    action_();
}
