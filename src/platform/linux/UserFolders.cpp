#include "platform/linux/UserFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <system_error>

namespace {

// An XDG variable counts only when it holds an absolute path.
std::filesystem::path AbsoluteFromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') {
        return {};
    }
    return value;
}

std::filesystem::path HomeFolder() {
    if (auto home = AbsoluteFromEnvironment("HOME"); !home.empty()) {
        return home;
    }
    if (const passwd* entry = ::getpwuid(::getuid());
        entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return {};
}

std::filesystem::path XdgFolder(const char* variable, const char* underHome) {
    if (auto folder = AbsoluteFromEnvironment(variable); !folder.empty()) {
        return folder;
    }
    const std::filesystem::path home = HomeFolder();
    return home.empty() ? home : home / underHome;
}

}  // namespace

namespace UserFolders {

std::filesystem::path ProgramFolder() {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::current_path(error) : executable.parent_path();
}

std::filesystem::path DataHome() {
    return XdgFolder("XDG_DATA_HOME", ".local/share");
}

std::filesystem::path ConfigHome() {
    return XdgFolder("XDG_CONFIG_HOME", ".config");
}

std::filesystem::path RuntimeFolder() {
    if (auto folder = AbsoluteFromEnvironment("XDG_RUNTIME_DIR"); !folder.empty()) {
        return folder;
    }
    std::error_code error;
    return std::filesystem::temp_directory_path(error);
}

}  // namespace UserFolders
