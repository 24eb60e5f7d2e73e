#pragma once

#include <sys/types.h>

#include <filesystem>
#include <initializer_list>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

// Whole-file reads and crash-safe whole-file writes for the data files.

// Writes every byte to the descriptor, going on after interrupted and partial writes; false
// on an error (errno tells which).
bool WriteAll(int fd, std::string_view bytes);

// A whole-file read that tells a file that cannot be opened (missing, not a regular file) from
// one that opened but could not be read.
struct FileRead {
    enum class Status { Read, CannotOpen, ReadFailed, TooLarge };
    Status Result = Status::CannotOpen;
    std::string Bytes;  // when Read
    std::string Error;  // the system's description, when ReadFailed
};

// Reads a data file. Anything but a regular file (a folder, a FIFO, a device) is refused at
// once as CannotOpen: opening never waits for a writer, and reading never waits for more. A file
// of more than `maxBytes` is TooLarge: told by its size once open, and never read past
// maxBytes + 1 bytes should it grow meanwhile.
FileRead ReadDataFile(const std::filesystem::path& file,
                      std::size_t maxBytes = std::numeric_limits<std::size_t>::max());

// The file's bytes, or nothing when it cannot be opened or read (ReadDataFile).
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

// True when `fileName` is a temporary file WriteFileAtomically made for `baseName`: the base
// name, a point and the six letters or digits mkstemp puts in place of "XXXXXX".
bool IsTemporaryFileOf(std::string_view fileName, std::string_view baseName);

// Deletes the temporary files an interrupted WriteFileAtomically left in `folder` for any of
// `baseNames` (regular files only; nothing else is touched). Only while no other copy of the
// program can be writing there. Returns how many were deleted.
std::size_t RemoveTemporaryLeftovers(const std::filesystem::path& folder,
                                     std::initializer_list<std::string_view> baseNames);
