#pragma once

#include <sys/types.h>

#include <filesystem>

// Creates `folder` and any missing parents with `mode` (less the umask). True when the folder
// exists afterwards, whether it was created now or was there already.
bool EnsureFolder(const std::filesystem::path& folder, mode_t mode);
