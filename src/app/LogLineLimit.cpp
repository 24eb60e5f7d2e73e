#include "app/LogLineLimit.h"

#include <utility>

#include "ports/Clock.h"

LogLineLimit::LogLineLimit(const Clock& clock, int lines, std::int64_t seconds, std::string subject,
                           std::function<void(const std::string&)> write)
    : clock_(clock),
      lines_(lines),
      seconds_(seconds),
      subject_(std::move(subject)),
      write_(std::move(write)) {}

bool LogLineLimit::Write(const std::string& line) {
    const std::int64_t now = clock_.Now();
    if (PeriodOver(now)) {
        TellLeftOut();
        periodStart_ = now;
        writtenInPeriod_ = 0;
    }
    if (writtenInPeriod_ >= lines_) {
        ++leftOut_;
        return false;
    }
    write_(line);
    ++writtenInPeriod_;
    return true;
}

bool LogLineLimit::Flush() {
    if (leftOut_ > 0 && PeriodOver(clock_.Now())) {
        TellLeftOut();
        writtenInPeriod_ = 0;
    }
    return leftOut_ > 0;
}

bool LogLineLimit::PeriodOver(std::int64_t now) const {
    // A clock set back ends the period too, rather than holding the lines back for as long.
    return writtenInPeriod_ == 0 || now < periodStart_ || now - periodStart_ >= seconds_;
}

void LogLineLimit::TellLeftOut() {
    if (leftOut_ == 0) {
        return;
    }
    write_(subject_ + ": " + std::to_string(leftOut_) + " more lines left out, at most " +
           std::to_string(lines_) + " are written in " + std::to_string(seconds_) + " seconds");
    leftOut_ = 0;
}
