#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>

// Replaces a file the user chose or linked somewhere (an export, the template output) with
// `bytes`, atomically (WriteFileAtomically). A symbolic link is written through: the link stays,
// and the file it points to is replaced, keeping that file's permission bits, or made with
// `newFileMode` when the link points nowhere yet. Only a regular file or a path where nothing
// is are written; anything else (a folder, a FIFO, a device) is refused without being opened,
// so nothing waits for a reader. False with the reason in `error` when the file was refused or
// could not be written; the previous file then stays as it was.
bool ReplaceUserFile(const std::filesystem::path& file, std::string_view bytes, mode_t newFileMode,
                     std::string* error = nullptr);
