#include "cli/CliSession.h"

#include <ostream>

#include "app/SingleInstanceRefusal.h"
#include "persistence/FileTypedStore.h"
#include "platform/linux/SingleInstanceLock.h"
#include "ports/Clock.h"
#include "server/ServerAddress.h"

CliSession::CliSession(const DataFolder& dataFolder, std::ostream& out, std::ostream& err,
                       bool answerYes)
    : dataFolder_(dataFolder),
      user_(out, answerYes),
      filesUser_(err, answerYes),
      persistence_(dataFolder_, FileTypedStore::DefaultPath(), filesUser_),
      logs_(dataFolder_) {
    Record.Prefs.PortableMode = dataFolder_.IsPortableMarkerPresent();
}

CliSession::~CliSession() = default;

bool CliSession::Lock(std::ostream& err) {
    lock_ = std::make_unique<SingleInstanceLock>(SingleInstanceLock::DefaultPath());
    if (const auto refusal = SingleInstanceRefusal(
            *lock_, "Kestrovin is running; quit it (Exit in its tray menu) and try again")) {
        err << "kestrovin-cli: " << *refusal << '\n';
        return false;
    }
    persistence_.RemoveLeftovers();
    return true;
}

LoadResult CliSession::Load() {
    return persistence_.LoadState(Record, Frequencies);
}

bool CliSession::SaveAll() {
    return persistence_.SaveAll(Record, Frequencies);
}

std::string CliSession::SavePlaces() const {
    const bool portable = Record.Prefs.PortableMode;
    const std::string folder = "the data folder " + dataFolder_.GetDataFolder(portable).string();
    // In portable mode settings.ini lies in the data folder too.
    return portable ? folder
                    : folder + " and the settings file " + FileTypedStore::DefaultPath().string();
}

RequestContext CliSession::Context() {
    return RequestContext{Record,
                          Frequencies,
                          persistence_,
                          logs_,
                          user_,
                          *this,
                          SystemClock::Instance(),
                          ServerAddress::FromEnvironment(),
                          *this};
}
