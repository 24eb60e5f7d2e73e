// The evdev backend's own cost: 1,000 kernel input records (key presses, repeats, releases and
// syncs) written to a pipe and read back into raw records.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <vector>

#include "platform/evdev/EvdevReader.h"

static void BM_EvdevReaderThousandRecords(benchmark::State& state) {
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
        state.SkipWithError("no pipe");
        return;
    }
    std::vector<input_event> records;
    for (int i = 0; i < 250; ++i) {
        for (const int value : {1, 2, 0}) {
            input_event event{};
            event.type = EV_KEY;
            event.code = KEY_A + static_cast<unsigned short>(i % 20);
            event.value = value;
            records.push_back(event);
        }
        records.push_back(input_event{{}, EV_SYN, SYN_REPORT, 0});
    }
    EvdevReader reader(fds[0], false);
    long delivered = 0;
    for (auto _ : state) {
        const auto size = records.size() * sizeof(input_event);
        if (::write(fds[1], records.data(), size) != static_cast<ssize_t>(size)) {
            state.SkipWithError("pipe full");
            break;
        }
        reader.Read([&](const RawInput&) { ++delivered; }, [] {});
    }
    benchmark::DoNotOptimize(delivered);
    state.SetItemsProcessed(state.iterations() * static_cast<long>(records.size()));
    ::close(fds[0]);
    ::close(fds[1]);
}
BENCHMARK(BM_EvdevReaderThousandRecords);
