#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

// One load the XTest driver sends: press/release pairs of a key or of a button, at a rate in X
// events per second (0: a burst).
struct BenchLoad {
    std::string Name;
    std::string Label;  // short, for the table
    bool Keys = true;
    long Pairs = 0;
    double Rate = 0;
    double SentSeconds = 0;  // how long the driver took, once it ran

    long Events() const { return Pairs * 2; }
};

// What one subject did under one load.
struct BenchLoadFigures {
    std::optional<double> CpuMsPerThousand;  // CPU per 1,000 events sent
    std::optional<long> Counted;             // what it counted; nothing for the bare tray
    long Expected = 0;                       // what it should have counted
    std::string Unit;                        // of both: "events", "keys", "clicks"
};

struct BenchSubjectFigures {
    enum class Role { Listener, BlinkOff, BlinkOn, GeekOpen, BareTray, Peer };

    Role What = Role::Listener;
    std::string Name;
    std::vector<BenchLoadFigures> Loads;  // in the order of the loads
    std::optional<double> IdleCpuPercent;
    long PeakRssKiB = 0;  // the highest of every run
    std::optional<long> SteadyRssKiB;
    std::vector<double> StartToIconSeconds;  // one per start
};

// The harness's closing table and the ratios against the targets.
class BenchReport {
public:
    BenchReport(std::vector<BenchLoad> loads, std::vector<BenchSubjectFigures> subjects);

    void Print(std::ostream& out) const;
    // False when a target was missed or could not be measured.
    bool TargetsMet() const;

private:
    struct Check {
        std::string What;
        std::optional<double> Value;
        std::string Target;
        bool Met = false;
    };

    std::vector<Check> Checks() const;
    const BenchSubjectFigures* Find(BenchSubjectFigures::Role role) const;

    std::vector<BenchLoad> loads_;
    std::vector<BenchSubjectFigures> subjects_;
};
