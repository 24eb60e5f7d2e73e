// kestrovin-bench-desktop: the desktop program against its floors, side by side in one run.
//
// On a virtual X server of its own with a tray (trayer) and the reference statistics server
// on loopback, it measures four subjects: the bare XInput 2.2 raw listener (the floor for
// receiving the desktop's input), kestrovin with BlinkTray off and with it on, kestrovin with
// BlinkTray off and the Geek Window open, and the bare Qt tray program (the floor for being a
// Qt tray program). For each load all four are started
// one after the other (each start timed to its painted tray icon), the XTest driver sends the
// load to all of them at once, the harness waits until they have handled it and stops them;
// then all four idle for a minute. It prints one table and the ratios against the targets.
//
//   kestrovin-bench-desktop [--quick] [--peer workrave]
//     --quick: a tenth of the loads and 10 s of idling
//     --peer workrave: Workrave runs beside them, with its figures and the ratios to it
#include <chrono>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "desktop/BenchDesktop.h"
#include "desktop/BenchReport.h"
#include "desktop/BenchSubject.h"
#include "desktop/Interruption.h"
#include "desktop/PeerStatistics.h"
#include "desktop/TrayIconWatch.h"
#include "persistence/FileTypedStore.h"
#include "support/ChildProcess.h"

namespace {

using namespace std::chrono_literals;
using Role = BenchSubjectFigures::Role;

constexpr auto kSettleAfterStart = 2s;
constexpr auto kSettleBeforeIdling = 5s;

struct Counts {
    long Keys = 0;
    long Clicks = 0;
};

// One subject with its home and its figures so far.
struct Measured {
    std::unique_ptr<BenchSubject> Subject;
    std::vector<std::string> Environment;
    std::filesystem::path Home;
    BenchSubjectFigures Figures;
};

bool Fail(const std::string& problem) {
    std::cerr << "kestrovin-bench-desktop: " << problem << '\n';
    return false;
}

// "Label:   1,234" lines of kestrovin-cli status.
long StatusNumber(const std::string& status, const std::string& label) {
    std::istringstream lines(status);
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with(label + ":")) {
            std::string digits;
            for (const char c : line.substr(label.size() + 1)) {
                if (c >= '0' && c <= '9') {
                    digits += c;
                }
            }
            return digits.empty() ? -1 : std::stol(digits);
        }
    }
    return -1;
}

// The peer's statistics, in the HOME of the home the harness made for it.
PeerStatistics PeerStatisticsIn(const std::filesystem::path& home) {
    return PeerStatistics(home / "home");
}

std::optional<Counts> PeerCounts(const std::filesystem::path& home) {
    const std::optional<PeerStatistics::Counts> counts = PeerStatisticsIn(home).Read();
    if (!counts) {
        Fail("cannot read the peer's statistics in " + home.string());
        return std::nullopt;
    }
    return Counts{counts->Keys, counts->Clicks};
}

std::optional<Counts> ProgramCounts(const std::vector<std::string>& environment) {
    const ProgramResult status = RunToEnd({KESTROVIN_CLI, "status"}, environment);
    if (status.Status != 0) {
        Fail("kestrovin-cli status failed: " + status.Output);
        return std::nullopt;
    }
    return Counts{StatusNumber(status.Output, "Unsent keys"),
                  StatusNumber(status.Output, "Unsent clicks")};
}

// The listener's "key-press N" lines.
std::map<std::string, long> ListenerCounts(const std::string& output) {
    std::map<std::string, long> counts;
    std::istringstream words(output);
    std::string name;
    long value = 0;
    while (words >> name) {
        if (words >> value) {
            counts[name] = value;
        } else {
            words.clear();
        }
    }
    return counts;
}

// An account of its own, and the settings that keep the program off the network during the
// runs: no automatic skeld by count or time, no version check.
bool SetUpProgramHome(const std::vector<std::string>& environment,
                      const std::filesystem::path& home, const std::string& user, int blinkTray,
                      int geekStart = 0) {
    const ProgramResult registered =
        RunToEnd({KESTROVIN_CLI, "register", "--user", user, "--password", "bench-pass-1",
                  "--email", user + "@example.com", "--computer", "bench"},
                 environment);
    if (registered.Status != 0) {
        return Fail("kestrovin-cli register failed: " + registered.Output);
    }
    FileTypedStore store(home / "config" / "Kestrovin" / "registry.conf");
    const char* preferences = "Software\\Kestrovin\\Preferences";
    store.WriteInt(preferences, "BlinkTray", blinkTray);
    store.WriteInt(preferences, "SkeldEvery", 0);
    store.WriteInt(preferences, "SkeldEveryClicks", 0);
    store.WriteInt(preferences, "SkeldEveryHours", 0);
    store.WriteInt(preferences, "CheckUpdatesStartup", 0);
    store.WriteInt(preferences, "CheckForUpdates", 2);  // never
    store.WriteInt(preferences, "GeekStart", geekStart);
    return store.Flush() || Fail("cannot write the settings in " + home.string());
}

bool StartAll(std::vector<Measured>& subjects, BenchDesktop& desktop, TrayIconWatch& watch) {
    for (Measured& measured : subjects) {
        std::string problem;
        const std::filesystem::path output = desktop.OutputFile(measured.Figures.Name + ".out");
        if (!measured.Subject->Start(measured.Environment, output, watch, problem)) {
            return Fail(problem);
        }
        if (const auto start = measured.Subject->StartToIcon()) {
            measured.Figures.StartToIconSeconds.push_back(start->count());
        }
    }
    return SleepFor(kSettleAfterStart);
}

bool ReadFigures(std::vector<Measured>& subjects, std::vector<ProcessFigures>& figures) {
    figures.clear();
    for (Measured& measured : subjects) {
        const std::optional<ProcessFigures> now = measured.Subject->Figures();
        if (!now) {
            return Fail(measured.Figures.Name +
                        " ended unexpectedly: " + measured.Subject->Output());
        }
        figures.push_back(*now);
        measured.Figures.PeakRssKiB = std::max(measured.Figures.PeakRssKiB, now->PeakRssKiB);
    }
    return true;
}

// The processor time between two readings. The scheduler's nanoseconds are the figure; the
// kernel's own user and system ticks must agree with them to within a few ticks.
double CpuSeconds(const std::string& name, const ProcessFigures& before,
                  const ProcessFigures& after) {
    const double scheduled = after.CpuSeconds - before.CpuSeconds;
    const double ticks = after.TickCpuSeconds - before.TickCpuSeconds;
    if (std::abs(ticks - scheduled) > 0.05 + 0.1 * scheduled) {
        std::cout << "\n  note: " << name << " used " << scheduled
                  << " s by the scheduler's count but " << ticks << " s by /proc/<pid>/stat"
                  << std::flush;
    }
    return scheduled;
}

// Until every subject has handled what was sent: two quarter seconds in a row in which none
// of them used more than 2 ms of processor time.
bool WaitUntilSettled(std::vector<Measured>& subjects) {
    std::vector<ProcessFigures> previous, now;
    if (!ReadFigures(subjects, previous)) {
        return false;
    }
    int quiet = 0;
    for (const auto end = std::chrono::steady_clock::now() + 180s; quiet < 2;) {
        if (std::chrono::steady_clock::now() > end) {
            return Fail("the subjects were still busy three minutes after the load");
        }
        if (!SleepFor(250ms) || !ReadFigures(subjects, now)) {
            return false;
        }
        bool busy = false;
        for (std::size_t i = 0; i < now.size(); ++i) {
            busy = busy || now[i].CpuSeconds - previous[i].CpuSeconds > 0.002;
        }
        quiet = busy ? 0 : quiet + 1;
        previous = now;
    }
    return true;
}

bool StopAll(std::vector<Measured>& subjects) {
    bool all = true;
    for (Measured& measured : subjects) {
        if (!measured.Subject->Stop()) {
            all = Fail(measured.Figures.Name +
                       " did not end cleanly on SIGTERM: " + measured.Subject->Output());
        }
    }
    return all;
}

bool RunLoad(BenchLoad& load, std::vector<Measured>& subjects, BenchDesktop& desktop,
             TrayIconWatch& watch) {
    std::cout << "  " << load.Name << "..." << std::flush;
    std::vector<std::optional<Counts>> before;
    for (Measured& measured : subjects) {
        const Role role = measured.Figures.What;
        before.push_back(role == Role::BlinkOff || role == Role::BlinkOn || role == Role::GeekOpen
                             ? ProgramCounts(measured.Environment)
                         : role == Role::Peer ? PeerCounts(measured.Home)
                                              : Counts{});
        if (!before.back()) {
            return false;
        }
    }
    std::vector<ProcessFigures> atStart, atEnd;
    if (!StartAll(subjects, desktop, watch) || !ReadFigures(subjects, atStart)) {
        return false;
    }
    const ProgramResult driven = RunToEnd({KESTROVIN_XTEST_DRIVER, load.Keys ? "keys" : "clicks",
                                           std::to_string(load.Pairs), std::to_string(load.Rate)},
                                          desktop.Environment(desktop.MakeHome("driver")));
    if (driven.Status != 0 || Interrupted()) {
        return Fail("the XTest driver failed: " + driven.Output);
    }
    // "sent N events in S s"
    std::istringstream report(driven.Output);
    std::string word;
    long events = 0;
    report >> word >> events >> word >> word >> load.SentSeconds;
    if (events != load.Events()) {
        return Fail("the XTest driver said: " + driven.Output);
    }
    if (!WaitUntilSettled(subjects) || !ReadFigures(subjects, atEnd)) {
        return false;
    }
    std::vector<std::optional<Counts>> peerAfter(subjects.size());
    for (std::size_t i = 0; i < subjects.size(); ++i) {
        if (subjects[i].Figures.What == Role::Peer) {
            const PeerStatistics statistics = PeerStatisticsIn(subjects[i].Home);
            if (!statistics.WaitForWriteAfter(statistics.Now()) ||
                !(peerAfter[i] = PeerCounts(subjects[i].Home))) {
                return Fail(subjects[i].Figures.Name +
                            " did not write its statistics within 90 s of the load");
            }
        }
    }
    if (!StopAll(subjects)) {
        return false;
    }
    for (std::size_t i = 0; i < subjects.size(); ++i) {
        Measured& measured = subjects[i];
        BenchLoadFigures figures;
        figures.CpuMsPerThousand = CpuSeconds(measured.Figures.Name, atStart[i], atEnd[i]) * 1000 /
                                   static_cast<double>(load.Events()) * 1000;
        switch (measured.Figures.What) {
            case Role::Listener: {
                std::map<std::string, long> counts = ListenerCounts(measured.Subject->Output());
                figures.Counted = load.Keys ? counts["key-press"] + counts["key-release"]
                                            : counts["button-press"] + counts["button-release"];
                figures.Expected = load.Events();
                figures.Unit = "events";
                break;
            }
            case Role::BlinkOff:
            case Role::BlinkOn:
            case Role::GeekOpen: {
                const std::optional<Counts> after = ProgramCounts(measured.Environment);
                if (!after) {
                    return false;
                }
                figures.Counted =
                    load.Keys ? after->Keys - before[i]->Keys : after->Clicks - before[i]->Clicks;
                figures.Expected = load.Pairs;
                figures.Unit = load.Keys ? "keys" : "clicks";
                break;
            }
            case Role::Peer:
                figures.Counted = load.Keys ? peerAfter[i]->Keys - before[i]->Keys
                                            : peerAfter[i]->Clicks - before[i]->Clicks;
                figures.Expected = load.Pairs;
                figures.Unit = load.Keys ? "keys" : "clicks";
                break;
            case Role::BareTray:
                break;
        }
        measured.Figures.Loads.push_back(figures);
    }
    std::cout << " done\n";
    return true;
}

// Start times are noisy: more of them, one tray program after the other.
bool RunStarts(int rounds, std::vector<Measured>& subjects, BenchDesktop& desktop,
               TrayIconWatch& watch) {
    std::cout << "  " << rounds << " more starts of each tray program..." << std::flush;
    for (int round = 0; round < rounds; ++round) {
        for (Measured& measured : subjects) {
            if (!measured.Subject->HasTrayIcon()) {
                continue;
            }
            std::string problem;
            if (!measured.Subject->Start(measured.Environment,
                                         desktop.OutputFile(measured.Figures.Name + ".out"), watch,
                                         problem)) {
                return Fail(problem);
            }
            measured.Figures.StartToIconSeconds.push_back(measured.Subject->StartToIcon()->count());
            if (!measured.Subject->Stop()) {
                return Fail(measured.Figures.Name +
                            " did not end cleanly on SIGTERM: " + measured.Subject->Output());
            }
        }
    }
    std::cout << " done\n";
    return true;
}

bool RunIdle(std::chrono::seconds idle, std::vector<Measured>& subjects, BenchDesktop& desktop,
             TrayIconWatch& watch) {
    std::cout << "  idle for " << idle.count() << " s..." << std::flush;
    std::vector<ProcessFigures> before, after;
    if (!StartAll(subjects, desktop, watch) || !SleepFor(kSettleBeforeIdling) ||
        !ReadFigures(subjects, before) || !SleepFor(idle) || !ReadFigures(subjects, after)) {
        return false;
    }
    for (std::size_t i = 0; i < subjects.size(); ++i) {
        BenchSubjectFigures& figures = subjects[i].Figures;
        figures.IdleCpuPercent =
            CpuSeconds(figures.Name, before[i], after[i]) / static_cast<double>(idle.count()) * 100;
        figures.SteadyRssKiB = after[i].RssKiB;
    }
    std::cout << " done\n";
    return StopAll(subjects);
}

// The one-minute load average: a busy machine makes the figures less certain.
std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string minute;
    in >> minute;
    return minute;
}

// Workrave needs a session bus of its own, and its quiet mode, so that no break window opens
// during the runs; it still counts in that mode.
bool SetUpPeer(const std::filesystem::path& home, std::vector<std::string>& environment,
               BenchDesktop& desktop) {
    std::string problem;
    if (!desktop.StartSessionBus("workrave", environment, problem)) {
        return Fail(problem);
    }
    const ProgramResult quiet =
        RunToEnd({"gsettings", "set", "org.workrave.general", "operation-mode", "2"}, environment);
    return quiet.Status == 0 ||
           Fail("cannot set Workrave's quiet mode in " + home.string() + ": " + quiet.Output);
}

int Run(bool quick, bool withPeer) {
    WatchForInterruption();
    const std::string loadAtStart = LoadAverage();
    BenchDesktop desktop;
    std::string problem;
    if (!desktop.Start(problem)) {
        Fail(problem);
        return 1;
    }
    TrayIconWatch watch(desktop.DisplayName());
    if (!watch.Connected()) {
        Fail("cannot connect to the harness's X server");
        return 1;
    }

    std::vector<Measured> subjects;
    const auto add = [&](Role role, const std::string& name, const char* program,
                         BenchSubject::Readiness readiness) {
        Measured measured;
        measured.Subject =
            std::make_unique<BenchSubject>(name, std::vector<std::string>{program}, readiness);
        const std::filesystem::path home = desktop.MakeHome(name);
        measured.Environment = desktop.Environment(home);
        measured.Home = home;
        measured.Figures.What = role;
        measured.Figures.Name = name;
        subjects.push_back(std::move(measured));
        return home;
    };
    add(Role::Listener, "bare-listener", KESTROVIN_BARE_LISTENER,
        BenchSubject::Readiness::PrintsReady);
    const std::filesystem::path offHome =
        add(Role::BlinkOff, "blink-off", KESTROVIN, BenchSubject::Readiness::ShowsIconFully);
    const std::filesystem::path onHome =
        add(Role::BlinkOn, "blink-on", KESTROVIN, BenchSubject::Readiness::ShowsIconFully);
    const std::filesystem::path geekHome =
        add(Role::GeekOpen, "geek-open", KESTROVIN, BenchSubject::Readiness::ShowsIconFully);
    add(Role::BareTray, "bare-tray", KESTROVIN_BARE_TRAY, BenchSubject::Readiness::ShowsIcon);
    if (withPeer) {
        const std::filesystem::path peerHome =
            add(Role::Peer, "workrave", "workrave", BenchSubject::Readiness::ShowsIcon);
        if (!SetUpPeer(peerHome, subjects.back().Environment, desktop)) {
            return 1;
        }
    }
    if (!SetUpProgramHome(subjects[1].Environment, offHome, "bench-off", 0) ||
        !SetUpProgramHome(subjects[2].Environment, onHome, "bench-on", 1) ||
        !SetUpProgramHome(subjects[3].Environment, geekHome, "bench-geek", 0, 1)) {
        return 1;
    }

    const long scale = quick ? 10 : 1;
    std::vector<BenchLoad> loads = {
        {"keys at 1,000 events/s", "keys 1,000/s", true, 10'000 / scale, 1000},
        {"keys at 5,000 events/s", "keys 5,000/s", true, 25'000 / scale, 5000},
        {"20,000 clicks in a burst", "click burst", false, 20'000 / scale, 0},
    };
    if (quick) {
        loads[2].Name = std::to_string(loads[2].Pairs) + " clicks in a burst";
    }
    std::cout << "Measuring on " << desktop.DisplayName() << ":\n";
    for (BenchLoad& load : loads) {
        if (!RunLoad(load, subjects, desktop, watch)) {
            return 1;
        }
    }
    if (!RunStarts(quick ? 2 : 8, subjects, desktop, watch) ||
        !RunIdle(quick ? 10s : 60s, subjects, desktop, watch)) {
        return 1;
    }

    std::vector<BenchSubjectFigures> figures;
    for (Measured& measured : subjects) {
        figures.push_back(measured.Figures);
    }
    std::cout
        << "\nSubjects: bare-listener = XInput 2.2 raw events on the root window, counted; "
           "blink-off, blink-on = kestrovin with BlinkTray 0 and 1; geek-open = kestrovin with "
           "BlinkTray 0 and the Geek Window open; bare-tray = one "
           "QSystemTrayIcon"
        << (withPeer ? "; workrave = Workrave in quiet mode, a break reminder that counts keys and "
                       "clicks for its statistics (X RECORD), as a yardstick"
                     : "")
        << ". CPU is user + system of all threads; load average " << loadAtStart
        << " at the start, " << LoadAverage() << " at the end, on "
        << std::thread::hardware_concurrency() << " processors.\n";
    const BenchReport report(loads, figures);
    report.Print(std::cout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    bool quick = false, withPeer = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            quick = true;
        } else if (std::strcmp(argv[i], "--peer") == 0 && i + 1 < argc &&
                   std::strcmp(argv[i + 1], "workrave") == 0) {
            withPeer = true;
            ++i;
        } else {
            std::cerr << "usage: kestrovin-bench-desktop [--quick] [--peer workrave]\n";
            return 2;
        }
    }
    const int status = Run(quick, withPeer);
    if (Interrupted()) {
        std::cerr << "kestrovin-bench-desktop: interrupted; every program it started has ended\n";
    }
    return status;
}
