#pragma once

#include <chrono>

// Ctrl+C or SIGTERM to the harness: its waits end early, so that it unwinds and ends every
// process it started instead of dying with them still running.
void WatchForInterruption();
bool Interrupted();
// Sleeps for `duration`, or less when interrupted; false when interrupted.
bool SleepFor(std::chrono::milliseconds duration);
