// One full settings save (and load): settings.ini written in one pass against the key-by-key
// reference, and the typed store. Real files in a temporary folder, so the figures include
// the flush to disk that every atomic rewrite makes.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchSupport.h"
#include "counting/AppRecord.h"
#include "persistence/FileTypedStore.h"
#include "persistence/SettingsStore.h"

namespace {

using bench::BenchFolder;
using bench::RealisticRecord;

// A settings file the system wrote, then edited by hand: comments, a commented-out key, an
// unknown key and a key in another spelling.
void WriteRealisticFile(const std::filesystem::path& ini) {
    AppRecord record = RealisticRecord(true);
    FileTypedStore unused({});
    SettingsStore(record, ini, unused).TransferSettings("save");
    std::ifstream in(ini, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    text = "; Kestrovin settings\r\n; keep a copy before editing\r\n" + text +
           "[Preferences]\r\n;ShowSplash=0\r\ncountkeys=1\r\nMyOwnKey=yes\r\n# the end\r\n";
    std::ofstream(ini, std::ios::binary) << text;
}

void SaveSettingsIni(benchmark::State& state, bool onePass) {
    BenchFolder folder;
    const std::filesystem::path ini = folder / "settings.ini";
    WriteRealisticFile(ini);
    AppRecord record = RealisticRecord(true);
    FileTypedStore unused({});
    SettingsStore store(record, ini, unused);
    for (auto _ : state) {
        ++record.Account.KeysSinceLastReset;
        const bool saved =
            onePass ? store.TransferSettings("save") : store.TransferSettingsKeyByKey("save");
        benchmark::DoNotOptimize(saved);
    }
}

void BM_SaveSettingsIniOnePass(benchmark::State& state) {
    SaveSettingsIni(state, true);
}
BENCHMARK(BM_SaveSettingsIniOnePass)->Unit(benchmark::kMicrosecond);

void BM_SaveSettingsIniKeyByKey(benchmark::State& state) {
    SaveSettingsIni(state, false);
}
BENCHMARK(BM_SaveSettingsIniKeyByKey)->Unit(benchmark::kMicrosecond);

void LoadSettingsIni(benchmark::State& state, bool onePass) {
    BenchFolder folder;
    const std::filesystem::path ini = folder / "settings.ini";
    WriteRealisticFile(ini);
    AppRecord record = RealisticRecord(true);
    FileTypedStore unused({});
    SettingsStore store(record, ini, unused);
    for (auto _ : state) {
        const bool loaded =
            onePass ? store.TransferSettings("load") : store.TransferSettingsKeyByKey("load");
        benchmark::DoNotOptimize(loaded);
    }
}

void BM_LoadSettingsIniOnePass(benchmark::State& state) {
    LoadSettingsIni(state, true);
}
BENCHMARK(BM_LoadSettingsIniOnePass)->Unit(benchmark::kMicrosecond);

void BM_LoadSettingsIniKeyByKey(benchmark::State& state) {
    LoadSettingsIni(state, false);
}
BENCHMARK(BM_LoadSettingsIniKeyByKey)->Unit(benchmark::kMicrosecond);

// As the program does it: a fresh store object per save, which reads the file, takes all 73
// values and rewrites the file once.
void BM_SaveTypedStore(benchmark::State& state) {
    BenchFolder folder;
    const std::filesystem::path file = folder / "registry.conf";
    AppRecord record = RealisticRecord(false);
    for (auto _ : state) {
        ++record.Account.KeysSinceLastReset;
        FileTypedStore typed(file);
        const bool saved = SettingsStore(record, {}, typed).TransferSettings("save");
        benchmark::DoNotOptimize(saved);
    }
}
BENCHMARK(BM_SaveTypedStore)->Unit(benchmark::kMicrosecond);

}  // namespace
