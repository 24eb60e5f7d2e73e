#pragma once

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

// A folder nobody can create, rename or delete files in while this object holds it, root
// included: root ignores permission bits, so the folder gets the immutable attribute
// (chattr +i) where it can; otherwise its write bits go. The files already in it stay
// readable. Everything is put back on destruction (or by Release), so the test's temporary
// folder can be removed.
class UnwritableFolder {
public:
    explicit UnwritableFolder(std::filesystem::path folder) : folder_(std::move(folder)) {
        struct stat status {};
        if (::stat(folder_.c_str(), &status) != 0) {
            return;
        }
        mode_ = status.st_mode & 07777;
        immutable_ = SetImmutable(true);
        if (!immutable_) {
            changedMode_ = ::chmod(folder_.c_str(), mode_ & ~0222) == 0;
        }
        // Whatever was tried, only a file that cannot be made proves the folder unwritable.
        const std::string probe = (folder_ / "probe.XXXXXX").string();
        std::string name = probe;
        const int fd = ::mkstemp(name.data());
        if (fd >= 0) {
            ::close(fd);
            ::unlink(name.c_str());
            return;
        }
        held_ = true;
    }
    ~UnwritableFolder() { Release(); }
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;

    // False when the folder could still be written to (a file system without the attribute,
    // run as root): a test then cannot show what it meant to.
    bool Held() const { return held_; }
    static constexpr const char* kSkipReason =
        "the folder cannot be made unwritable here (root on a file system without chattr +i)";

    void Release() {
        if (immutable_) {
            SetImmutable(false);
            immutable_ = false;
        }
        if (changedMode_) {
            ::chmod(folder_.c_str(), mode_);
            changedMode_ = false;
        }
        held_ = false;
    }

private:
    bool SetImmutable(bool on) {
        const int fd = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (done) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        return done;
    }

    std::filesystem::path folder_;
    mode_t mode_ = 0;
    bool immutable_ = false;
    bool changedMode_ = false;
    bool held_ = false;
};
