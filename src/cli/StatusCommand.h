#pragma once

#include <iosfwd>

#include "persistence/DataFolder.h"

// "kestrovin-cli status": loads the settings and the state file the way the program does at
// start, without changing any file, and prints the account and its counts with the time they
// were saved, saying so first when the tray program runs (its counts in memory are newer).
// Returns the exit code: 0 when an account was loaded.
int RunStatusCommand(const DataFolder& dataFolder, std::ostream& out, std::ostream& err);
