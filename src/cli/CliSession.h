#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "cli/ConsoleUser.h"
#include "counting/AppRecord.h"
#include "counting/KeyFrequencyTable.h"
#include "persistence/AppPersistence.h"
#include "persistence/DataFolder.h"
#include "persistence/Logs.h"
#include "ports/EndSkeldPort.h"
#include "ports/TrayIconPort.h"
#include "server/RequestContext.h"

class SingleInstanceLock;

// What a server command of kestrovin-cli works with: the program's own record, files, logs
// and server, the user on the terminal, and the single-instance lock, so that the tray
// program and the command never work on the same files at once. What the files' load and save
// tell the user are troubles and go to `err`; the rest of the messages go to `out`.
class CliSession final : public TrayIconPort, public EndSkeldPort {
public:
    CliSession(const DataFolder& dataFolder, std::ostream& out, std::ostream& err, bool answerYes);
    ~CliSession() override;

    // Takes the lock and clears what interrupted saves left behind; false, with the reason on
    // `err`, while the tray program runs or when the lock cannot be taken at all.
    bool Lock(std::ostream& err);
    // The record as the program loads it at start (portable mode from the marker).
    LoadResult Load();
    // False when anything could not be written (AppPersistence::SaveAll).
    bool SaveAll();
    // Where the record is saved, for telling the user what must be writable.
    std::string SavePlaces() const;
    RequestContext Context();
    ConsoleUser& User() { return user_; }
    const DataFolder& Folder() const { return dataFolder_; }

    // No tray on a terminal.
    void SetIcon(TrayIconId) override {}
    void UpdateTooltip() override {}
    void SetTooltipText(const std::string&) override {}
    void RefreshIcon() override {}
    // The end of every skeld: another may start.
    void EndSkeld() override { Record.Account.SkeldInProgress = 0; }

    AppRecord Record;
    KeyFrequencyTable Frequencies;

private:
    DataFolder dataFolder_;
    ConsoleUser user_;
    ConsoleUser filesUser_;
    AppPersistence persistence_;
    Logs logs_;
    std::unique_ptr<SingleInstanceLock> lock_;
};
