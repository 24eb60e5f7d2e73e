#include "files/ReplaceUserFile.h"

#include <system_error>

#include "files/FileIo.h"

namespace {

namespace fs = std::filesystem;

// As many links in a row as the kernel follows before it gives up.
constexpr int kMaxLinks = 40;

bool Fail(std::string* error, std::string text) {
    if (error != nullptr) {
        *error = std::move(text);
    }
    return false;
}

}  // namespace

bool ReplaceUserFile(const fs::path& file, std::string_view bytes, mode_t newFileMode,
                     std::string* error) {
    fs::path target = file;
    mode_t mode = newFileMode;
    for (int links = 0;; ++links) {
        std::error_code code;
        const fs::file_status status = fs::symlink_status(target, code);
        if (status.type() == fs::file_type::not_found) {
            break;  // a new file; a missing folder is reported by the write
        }
        if (code) {
            return Fail(error, "Cannot look at " + target.string() + ": " + code.message());
        }
        if (status.type() == fs::file_type::regular) {
            mode = static_cast<mode_t>(status.permissions() & fs::perms::all);
            break;
        }
        if (status.type() != fs::file_type::symlink) {
            return Fail(error, target.string() + " is not a regular file");
        }
        if (links == kMaxLinks) {
            return Fail(error, "Cannot follow the links from " + file.string() +
                                   ": too many levels of symbolic links");
        }
        const fs::path next = fs::read_symlink(target, code);
        if (code) {
            return Fail(error, "Cannot read the link " + target.string() + ": " + code.message());
        }
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    // Never opened before this: a FIFO or device that took the file's place meanwhile is
    // replaced by the rename, not written to.
    return WriteFileAtomically(target, bytes, mode, error);
}
