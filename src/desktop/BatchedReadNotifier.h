#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <functional>

// Reads a descriptor in batches: once it has become readable, waits a short window and then
// calls the reader once for everything that arrived meanwhile. A burst of input events costs
// one wake-up per window instead of one per event; an idle descriptor costs nothing.
class BatchedReadNotifier final : public QObject {
    Q_OBJECT

public:
    // Short enough that nobody sees the delay in the tray icon or the Geek Window.
    static constexpr std::chrono::milliseconds kWindow{8};

    BatchedReadNotifier(int descriptor, std::function<void()> read,
                        std::chrono::milliseconds window = kWindow);

    // For good: a descriptor that stays readable for ever (a lost connection) is not watched
    // any more. The reader may call it.
    void Stop();

private:
    void OnReadable();
    void OnWindowOver();

    const std::function<void()> read_;
    QSocketNotifier notifier_;
    QTimer window_;
    bool stopped_ = false;
};
