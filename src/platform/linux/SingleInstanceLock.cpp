#include "platform/linux/SingleInstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/UserFolders.h"

SingleInstanceLock::SingleInstanceLock(const std::filesystem::path& lockFile) {
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        error_ = "Cannot open " + lockFile.string() + ": " + std::strerror(errno);
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int saved = errno;
        ::close(fd);
        heldByAnother_ = saved == EWOULDBLOCK;
        error_ = "Cannot lock " + lockFile.string() + ": " + std::strerror(saved);
        return;
    }
    fd_ = fd;
}

SingleInstanceLock::~SingleInstanceLock() {
    if (fd_ >= 0) {
        ::close(fd_);  // closing releases the lock; the file stays for the next start
    }
}

bool SingleInstanceLock::HeldNow(const std::filesystem::path& lockFile) {
    const int fd = ::open(lockFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;  // never made, so never held
    }
    // A shared lock is refused while a holder has the exclusive one; when granted it goes
    // again at once, with the close.
    const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);
    return held;
}

std::filesystem::path SingleInstanceLock::DefaultPath() {
    // The user id keeps users apart in a shared temporary folder.
    return UserFolders::RuntimeFolder() /
           (std::string(ProgramLockName) + "-" + std::to_string(::getuid()) + ".lock");
}
