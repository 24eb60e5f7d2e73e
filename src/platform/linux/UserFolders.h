#pragma once

#include <filesystem>

// Where this user's and this program's files are, following the XDG base directories.
namespace UserFolders {

// The folder of the running executable (/proc/self/exe), with no trailing slash.
std::filesystem::path ProgramFolder();

// $XDG_DATA_HOME, else ~/.local/share; empty when neither can be found.
std::filesystem::path DataHome();

// $XDG_CONFIG_HOME, else ~/.config; empty when neither can be found.
std::filesystem::path ConfigHome();

// $XDG_RUNTIME_DIR, else the temporary folder.
std::filesystem::path RuntimeFolder();

}  // namespace UserFolders
