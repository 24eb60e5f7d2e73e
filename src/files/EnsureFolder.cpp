#include "files/EnsureFolder.h"

#include <sys/stat.h>

#include <cerrno>
#include <system_error>

bool EnsureFolder(const std::filesystem::path& folder, mode_t mode) {
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) {
        return true;
    }
    // "a/b/" names the same folder as "a/b"; without the empty last part the parent is "a".
    if (!folder.has_filename() && folder.has_relative_path()) {
        return EnsureFolder(folder.parent_path(), mode);
    }
    const std::filesystem::path parent = folder.parent_path();
    if (!parent.empty() && parent != folder && !EnsureFolder(parent, mode)) {
        return false;
    }
    if (::mkdir(folder.c_str(), mode) != 0 && errno != EEXIST) {
        return false;
    }
    return std::filesystem::is_directory(folder, error);
}
