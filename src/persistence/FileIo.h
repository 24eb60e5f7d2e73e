#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Whole-file reads and crash-safe whole-file writes for the data files.

// Writes every byte to the descriptor, going on after interrupted and partial writes; false
// on an error (errno tells which).
bool WriteAll(int fd, std::string_view bytes);

// The file's bytes, or nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file);

// Which step of WriteFileAtomically failed: creating the temporary file in the folder (the
// folder is missing, read-only, not a folder...) or anything after it (disk full, rename...).
enum class AtomicWriteFailure { None, CannotCreate, CannotWrite };

// Writes the bytes to a temporary file in the same folder, flushes it to disk and renames it
// over `file`, so a crash or a full disk never leaves a torn file: either the old file or the
// complete new one is there. On failure returns false, describes it in `error` and says which
// step failed in `failure` when given, and leaves the old file untouched.
bool WriteFileAtomically(const std::filesystem::path& file, std::string_view bytes, mode_t mode,
                         std::string* error = nullptr, AtomicWriteFailure* failure = nullptr);
