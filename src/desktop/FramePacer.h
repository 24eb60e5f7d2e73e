#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

// Runs an action at most once per display frame: at once when it has not run within the last
// frame, otherwise once that frame is over, however often it was asked for meanwhile. Its
// timer runs only while a run waits, so an idle program never wakes for it.
class FramePacer final : public QObject {
    Q_OBJECT

public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    FramePacer(std::function<void()> action, std::chrono::milliseconds frame,
               Clock clock = std::chrono::steady_clock::now);

    // Runs the action now, or once the frame of its last run is over.
    void Request();
    // Drops a waiting run.
    void Cancel();
    // Runs a waiting run now; the timer calls it when the frame is over.
    void RunWaiting();

private:
    void Run();

    const std::function<void()> action_;
    const std::chrono::steady_clock::duration frame_;
    const Clock clock_;
    QTimer timer_;
    std::chrono::steady_clock::time_point lastRun_;
    bool ranOnce_ = false;
    bool waiting_ = false;
};
