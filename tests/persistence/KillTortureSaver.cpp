// The program the kill torture kills: it starts as the tray program does (the single-instance
// lock, the clean-up of interrupted saves, the load of the record and the key tally), says
// "ready" once its first save is complete, then saves everything in a tight loop with counts
// that grow by one per save, until it is killed.
//   kestrovin_kill_torture_saver PROGRAM_FOLDER DATA_HOME TYPED_STORE LOCK_FILE PORTABLE(0|1)
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "persistence/AppPersistence.h"
#include "persistence/KillTortureSave.h"
#include "platform/linux/SingleInstanceLock.h"
#include "ports/UserPort.h"

namespace {

// A message box would mean a failed save or load: the program ends with the text.
class FailingUser final : public UserPort {
public:
    void ShowMessage(const std::string& text, Icon) override { Fail(text); }
    bool AskYesNo(const std::string& text, Icon, EnterAnswers) override {
        Fail(text);
        return false;
    }
    void ShowBalloon(const std::string&, const std::string&) override {}
    void Open(const std::string&) override {}

private:
    static void Fail(const std::string& text) {
        const std::string line = "message: " + text + "\n";
        [[maybe_unused]] const ssize_t ignored = ::write(1, line.data(), line.size());
        ::_exit(4);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        return 2;
    }
    SingleInstanceLock lock(argv[4]);
    if (!lock.Held()) {
        return 3;
    }
    const bool portable = std::string(argv[5]) == "1";
    FailingUser user;
    const AppPersistence persistence(DataFolder(argv[1], argv[2]), argv[3], user);
    persistence.RemoveLeftovers();

    AppRecord record;
    record.Prefs.PortableMode = portable;
    KeyFrequencyTable tally;
    std::int32_t n = 0;
    if (persistence.LoadState(record, tally) == LoadResult::Loaded) {
        n = record.Account.GetUnsentKeys();
    }
    for (bool first = true;; first = false) {
        ++n;
        // Keeps the table the one loaded from (or saved to) keyfreq.bin, as counting does.
        tally.Deserialize(KillTortureSave::TallyBytes(n));
        persistence.SaveAll(KillTortureSave::RecordOf(n, portable), tally);
        if (first) {
            [[maybe_unused]] const ssize_t ignored = ::write(1, "ready\n", 6);
        }
    }
}
