#pragma once

#include <iosfwd>
#include <string>

#include "persistence/DataFolder.h"

// "kestrovin-cli keys": the key tally as the key-frequency dialog lists it, or its XML or
// HTML export written to `exportFile`. Reads the data files without changing them.
enum class KeysOutput { List, Xml, Html };
int RunKeysCommand(const DataFolder& dataFolder, KeysOutput output, const std::string& exportFile,
                   std::ostream& out, std::ostream& err);

// "kestrovin-cli template": writes the template output once, as the tray program's timer does.
int RunTemplateCommand(const DataFolder& dataFolder, std::ostream& out, std::ostream& err);
