#pragma once

#include <cstdint>
#include <functional>
#include <string>

class Clock;

// Keeps a burst of lines out of a log: at most `lines` lines are written in a period of
// `seconds` that begins with the first of them; the ones beyond are left out and counted, and
// once the period is over one line says how many.
class LogLineLimit {
public:
    LogLineLimit(const Clock& clock, int lines, std::int64_t seconds, std::string subject,
                 std::function<void(const std::string&)> write);

    // Writes the line, or counts it as left out; true when it was written.
    bool Write(const std::string& line);

    // Says how many lines were left out once their period is over, for a timer, so that the
    // count comes even when no further line does. True while a count waits for its period to
    // end.
    bool Flush();

    std::int64_t Seconds() const { return seconds_; }

private:
    bool PeriodOver(std::int64_t now) const;
    void TellLeftOut();

    const Clock& clock_;
    const int lines_;
    const std::int64_t seconds_;
    const std::string subject_;
    const std::function<void(const std::string&)> write_;
    std::int64_t periodStart_ = 0;
    int writtenInPeriod_ = 0;
    std::int64_t leftOut_ = 0;
};
