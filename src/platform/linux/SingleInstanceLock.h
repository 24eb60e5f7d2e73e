#pragma once

#include <filesystem>
#include <string>

// The one-program-per-user rule: an exclusive lock on a file named after the lock in the
// user's runtime folder, held for as long as the object lives (and released by the system
// when the process ends, however it ends).
class SingleInstanceLock {
public:
    // The name every Kestrovin program of this user locks.
    static constexpr const char* ProgramLockName = "MY_KESTROVIN_CLIENT";

    // Tries to take the lock at once; Held() tells whether it was taken.
    explicit SingleInstanceLock(const std::filesystem::path& lockFile);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // $XDG_RUNTIME_DIR (else the temporary folder) + "/MY_KESTROVIN_CLIENT-<uid>.lock".
    static std::filesystem::path DefaultPath();
    // Whether a program holds the lock now, asked without creating the file and without
    // holding anything beyond the moment of the question.
    static bool HeldNow(const std::filesystem::path& lockFile);

    bool Held() const { return fd_ >= 0; }
    // Why the lock was not taken: another instance holds it, or the file could not be opened.
    bool HeldByAnother() const { return heldByAnother_; }
    const std::string& Error() const { return error_; }

private:
    int fd_ = -1;
    bool heldByAnother_ = false;
    std::string error_;
};
