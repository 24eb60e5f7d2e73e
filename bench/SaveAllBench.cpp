// One SaveAll as the program does it — settings, backup copy, state file, keyfreq.bin — in
// portable mode (settings.ini) and normal mode (typed store), beside the same save with the
// settings written key by key, the way a settings file used to be rewritten once per key.
#include <benchmark/benchmark.h>

#include "BenchSupport.h"
#include "counting/KeyFrequencyTable.h"
#include "persistence/AppPersistence.h"
#include "persistence/DataFolder.h"
#include "persistence/FileTypedStore.h"
#include "persistence/SettingsStore.h"
#include "persistence/StateFile.h"
#include "ports/UserPort.h"

namespace {

using bench::BenchFolder;
using bench::RealisticRecord;

struct SilentUser final : UserPort {
    void ShowMessage(const std::string&, Icon) override {}
    bool AskYesNo(const std::string&, Icon, EnterAnswers) override { return false; }
    void ShowBalloon(const std::string&, const std::string&) override {}
    void Open(const std::string&) override {}
};

KeyFrequencyTable RealisticTally() {
    KeyFrequencyTable tally;
    for (std::int32_t code = 0x08; code < 0xE0; ++code) {
        for (int i = 0; i < code % 13 + 1; ++i) {
            tally.Increment(code);
        }
    }
    return tally;
}

void SaveAll(benchmark::State& state, bool portable, bool keyByKey) {
    BenchFolder folder;
    std::filesystem::create_directories(folder / "program");
    const DataFolder dataFolder(folder / "program", folder / "data");
    const std::filesystem::path storeFile = folder / "registry.conf";
    SilentUser user;
    const AppPersistence persistence(dataFolder, storeFile, user);
    AppRecord record = RealisticRecord(portable);
    record.Account.UserName = "someone";
    record.Account.Password = "a password";
    record.Account.Token = "0123456789abcdef0123456789abcdef";
    const KeyFrequencyTable tally = RealisticTally();
    persistence.SaveAll(record, tally);  // the files exist, as after the first save
    for (auto _ : state) {
        record.Account.AddUnsentKeys(1);
        if (!keyByKey) {
            persistence.SaveAll(record, tally);
            continue;
        }
        FileTypedStore typed(storeFile);
        AppRecord copy = record;
        SettingsStore(copy, dataFolder.SettingsFilePath(), typed).TransferSettingsKeyByKey("save");
        StateFile::Write(dataFolder.GetDataFilePath("Kestrovin.ksv", portable),
                         dataFolder.GetDataFilePath("Kestrovin.ksv.bak", portable), record.Account);
        tally.Save(dataFolder.GetDataFilePath("keyfreq.bin", portable));
    }
}

void BM_SaveAllPortable(benchmark::State& state) {
    SaveAll(state, true, false);
}
BENCHMARK(BM_SaveAllPortable)->Unit(benchmark::kMillisecond);

void BM_SaveAllPortableKeyByKey(benchmark::State& state) {
    SaveAll(state, true, true);
}
BENCHMARK(BM_SaveAllPortableKeyByKey)->Unit(benchmark::kMillisecond);

void BM_SaveAllNormal(benchmark::State& state) {
    SaveAll(state, false, false);
}
BENCHMARK(BM_SaveAllNormal)->Unit(benchmark::kMillisecond);

void BM_SaveAllNormalKeyByKey(benchmark::State& state) {
    SaveAll(state, false, true);
}
BENCHMARK(BM_SaveAllNormalKeyByKey)->Unit(benchmark::kMillisecond);

}  // namespace
