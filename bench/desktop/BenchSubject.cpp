#include "desktop/BenchSubject.h"

#include <fstream>
#include <sstream>
#include <thread>

#include "desktop/Interruption.h"
#include "desktop/TrayIconWatch.h"
#include "support/ChildProcess.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

}  // namespace

BenchSubject::BenchSubject(std::string name, std::vector<std::string> command, Readiness readiness)
    : name_(std::move(name)), command_(std::move(command)), readiness_(readiness) {}

BenchSubject::~BenchSubject() = default;

bool BenchSubject::Start(const std::vector<std::string>& environment,
                         const std::filesystem::path& output, TrayIconWatch& watch,
                         std::string& problem) {
    output_ = output;
    std::filesystem::remove(output_);
    startToIcon_.reset();
    watch.Forget();
    const Clock::time_point start = Clock::now();
    process_ = std::make_unique<ChildProcess>(command_, environment, output_);
    bool ready = false;
    while (!ready) {
        const Clock::time_point now = Clock::now();
        if (now - start > 60s || Interrupted()) {
            problem = name_ + " did not get ready within a minute; it printed: " + Output();
            return false;
        }
        const std::optional<ProcessFigures> figures = Figures();
        if (process_->WaitForExit(0ms) || !figures) {
            problem = name_ + " ended during its start; it printed: " + Output();
            return false;
        }
        if (readiness_ == Readiness::PrintsReady) {
            ready = Output().find("ready\n") != std::string::npos;
        } else {
            if (!startToIcon_ && watch.IconShown(Pid())) {
                startToIcon_ = Clock::now() - start;
            }
            ready = startToIcon_ && (readiness_ == Readiness::ShowsIcon || figures->CatchesSigterm);
        }
        if (!ready) {
            std::this_thread::sleep_for(5ms);
        }
    }
    return true;
}

pid_t BenchSubject::Pid() const {
    return process_ ? process_->Pid() : 0;
}

std::optional<ProcessFigures> BenchSubject::Figures() const {
    return Pid() != 0 ? ProcessFigures::Read(Pid()) : std::nullopt;
}

bool BenchSubject::Stop() {
    if (!process_) {
        return false;
    }
    // The bare tray does nothing about SIGTERM, so it ends by the signal; the others catch it.
    const bool stopped =
        process_->Stop(20s) && (readiness_ == Readiness::ShowsIcon || process_->ExitStatus() == 0);
    process_.reset();
    return stopped;
}

std::string BenchSubject::Output() const {
    std::ifstream in(output_, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}
