// The per-event cost of counting: a key release with the key tally on, and a click.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "counting/AccountState.h"
#include "counting/KeyFrequencyTable.h"
#include "counting/Preferences.h"
#include "counting/RawInputCounter.h"
#include "ports/KeyStatePort.h"
#include "ports/SkeldRequestPort.h"
#include "ports/TrayIconPort.h"

// Counts heap allocations, so the figures show that counting an event allocates nothing.
std::atomic<long> allocations{0};

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size == 0 ? 1 : size)) {
        return memory;
    }
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace {

void ReportAllocations(benchmark::State& state, long before) {
    state.counters["allocs/event"] = benchmark::Counter(
        static_cast<double>(allocations.load() - before) / static_cast<double>(state.iterations()));
}

struct QuietTray final : TrayIconPort {
    void SetIcon(TrayIconId icon) override { benchmark::DoNotOptimize(icon); }
    void UpdateTooltip() override {}
    void SetTooltipText(const std::string&) override {}
    void RefreshIcon() override {}
};
struct NoSkelds final : SkeldRequestPort {
    void RequestSkeld(bool) override {}
};
struct NoKeysHeld final : KeyStatePort {
    bool IsKeyDown(std::uint16_t) override { return false; }
};

struct Fixture {
    AccountState account = AccountState::StartValues();
    Preferences preferences;
    KeyFrequencyTable frequencies;
    QuietTray tray;
    NoSkelds skelds;
    NoKeysHeld keys;
    RawInputCounter counter{account, preferences, frequencies, tray, skelds, keys};
};

void KeyReleaseWithKeyTally(benchmark::State& state) {
    Fixture fixture;
    fixture.frequencies.FillKeyNames();
    const RawInput release = RawInput::Key('E', RawInput::kKeyUp);
    fixture.counter.OnRawInput(release);  // the key's first count creates its table entry
    const long before = allocations.load();
    for (auto _ : state) {
        fixture.counter.OnRawInput(release);
    }
    ReportAllocations(state, before);
}
BENCHMARK(KeyReleaseWithKeyTally);

void Click(benchmark::State& state) {
    Fixture fixture;
    const RawInput press = RawInput::Buttons(RawInput::kButton1Down);
    const long before = allocations.load();
    for (auto _ : state) {
        fixture.counter.OnRawInput(press);
    }
    ReportAllocations(state, before);
}
BENCHMARK(Click);

}  // namespace
