#include "persistence/FileTypedStore.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <optional>
#include <system_error>

#include "files/FileIo.h"
#include "platform/linux/UserFolders.h"

namespace {

constexpr mode_t OwnerOnlyFile = 0600;
constexpr mode_t OwnerOnlyFolder = 0700;
constexpr std::string_view Hex = "0123456789ABCDEF";

constexpr std::string_view KeyWord = "key ";
constexpr std::string_view IntWord = "int ";
constexpr std::string_view TextWord = "text ";

std::string_view NormalKeyPath(std::string_view keyPath) {
    while (!keyPath.empty() && keyPath.back() == '\\') {
        keyPath.remove_suffix(1);
    }
    return keyPath;
}

// Blanks are escaped everywhere in names (the blank ends the name), and at either end of other
// texts, where an editor might drop them unseen.
std::string Escape(std::string_view text, bool escapeEveryBlank) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const bool blankToEscape =
            byte == ' ' && (escapeEveryBlank || i == 0 || i + 1 == text.size());
        if (byte == '%' || byte < 0x20 || byte == 0x7F || blankToEscape) {
            out += '%';
            out += Hex[byte >> 4];
            out += Hex[byte & 0x0F];
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

std::optional<std::string> Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) {
            return std::nullopt;
        }
        const int high = HexDigit(text[i + 1]);
        const int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

std::optional<std::int32_t> WholeInt(std::string_view text) {
    std::int32_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

bool CreateOwnerOnlyFolder(const std::filesystem::path& folder) {
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) {
        return true;
    }
    if (folder.has_parent_path()) {
        std::filesystem::create_directories(folder.parent_path(), error);
    }
    return ::mkdir(folder.c_str(), OwnerOnlyFolder) == 0 || errno == EEXIST;
}

}  // namespace

FileTypedStore::FileTypedStore(std::filesystem::path file) : file_(std::move(file)) {
    if (file_.empty()) {
        return;
    }
    if (const std::optional<std::string> text = ReadWholeFile(file_)) {
        Parse(*text);
        return;
    }
    std::error_code error;
    const auto type = std::filesystem::symlink_status(file_, error).type();
    unreadable_ = type != std::filesystem::file_type::not_found;
}

std::filesystem::path FileTypedStore::DefaultPath() {
    const std::filesystem::path config = UserFolders::ConfigHome();
    return config.empty() ? config : config / "Kestrovin" / "registry.conf";
}

const FileTypedStore::Value* FileTypedStore::Find(std::string_view keyPath,
                                                  std::string_view name) const {
    const auto key = keys_.find(NormalKeyPath(keyPath));
    if (key == keys_.end()) {
        return nullptr;
    }
    const auto value = key->second.find(name);
    return value == key->second.end() ? nullptr : &value->second;
}

bool FileTypedStore::ReadInt(std::string_view keyPath, std::string_view name, std::int32_t& value) {
    const Value* stored = Find(keyPath, name);
    if (stored == nullptr || !std::holds_alternative<std::int32_t>(*stored)) {
        return false;
    }
    value = std::get<std::int32_t>(*stored);
    return true;
}

bool FileTypedStore::ReadText(std::string_view keyPath, std::string_view name, std::string& value) {
    const Value* stored = Find(keyPath, name);
    if (stored == nullptr || !std::holds_alternative<std::string>(*stored)) {
        return false;
    }
    value = std::get<std::string>(*stored);
    return true;
}

void FileTypedStore::Write(std::string_view keyPath, std::string_view name, Value value) {
    Values& values = keys_[std::string(NormalKeyPath(keyPath))];
    const auto [position, inserted] = values.try_emplace(std::string(name), value);
    if (inserted) {
        changed_ = true;
    } else if (position->second != value) {
        position->second = std::move(value);
        changed_ = true;
    }
}

void FileTypedStore::WriteInt(std::string_view keyPath, std::string_view name, std::int32_t value) {
    Write(keyPath, name, value);
}

void FileTypedStore::WriteText(std::string_view keyPath, std::string_view name,
                               std::string_view value) {
    Write(keyPath, name, std::string(value));
}

bool FileTypedStore::KeyExists(std::string_view keyPath) {
    const std::string path(NormalKeyPath(keyPath));
    if (keys_.contains(path)) {
        return true;
    }
    // Keys below it sort together, right from "<path>\" on.
    const std::string below = path + '\\';
    const auto next = keys_.lower_bound(below);
    return next != keys_.end() && next->first.starts_with(below);
}

void FileTypedStore::CreateKey(std::string_view keyPath) {
    if (keys_.try_emplace(std::string(NormalKeyPath(keyPath))).second) {
        changed_ = true;
    }
}

bool FileTypedStore::DeleteKey(std::string_view keyPath) {
    const std::string path(NormalKeyPath(keyPath));
    bool deleted = keys_.erase(path) != 0;
    const std::string below = path + '\\';
    auto next = keys_.lower_bound(below);
    while (next != keys_.end() && next->first.starts_with(below)) {
        next = keys_.erase(next);
        deleted = true;
    }
    changed_ = changed_ || deleted;
    return deleted;
}

bool FileTypedStore::Flush() {
    if (!changed_) {
        return true;
    }
    if (file_.empty() || unreadable_ || !CreateOwnerOnlyFolder(file_.parent_path())) {
        return false;
    }
    if (!WriteFileAtomically(file_, Format(), OwnerOnlyFile)) {
        return false;
    }
    changed_ = false;
    return true;
}

void FileTypedStore::Parse(std::string_view text) {
    Values* current = nullptr;
    std::size_t position = 0;
    while (position < text.size()) {
        const auto end = text.find('\n', position);
        std::string_view line = text.substr(position, end - position);
        position = end == std::string_view::npos ? text.size() : end + 1;
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }

        if (line.starts_with(KeyWord)) {
            const std::optional<std::string> path = Unescape(line.substr(KeyWord.size()));
            current = path ? &keys_[std::string(NormalKeyPath(*path))] : nullptr;
            continue;
        }
        const bool isInt = line.starts_with(IntWord);
        if (current == nullptr || !(isInt || line.starts_with(TextWord))) {
            continue;  // a note, a damaged line, or a value outside any key
        }
        line.remove_prefix(isInt ? IntWord.size() : TextWord.size());
        const auto blank = line.find(' ');
        if (blank == std::string_view::npos) {
            continue;
        }
        std::optional<std::string> name = Unescape(line.substr(0, blank));
        std::optional<std::string> value = Unescape(line.substr(blank + 1));
        if (!name || !value) {
            continue;
        }
        if (!isInt) {
            (*current)[std::move(*name)] = std::move(*value);
        } else if (const std::optional<std::int32_t> number = WholeInt(*value)) {
            (*current)[std::move(*name)] = *number;
        }
    }
}

std::string FileTypedStore::Format() const {
    std::string out =
        "# Kestrovin settings of this user. \"key\" opens a key path; \"int\" and \"text\" lines\n"
        "# are its values: name, blank, value. %XX is the byte with that hexadecimal code.\n";
    for (const auto& [path, values] : keys_) {
        out += KeyWord;
        out += Escape(path, false);
        out += '\n';
        for (const auto& [name, value] : values) {
            if (const auto* number = std::get_if<std::int32_t>(&value)) {
                out += IntWord;
                out += Escape(name, true);
                out += ' ';
                out += std::to_string(*number);
            } else {
                out += TextWord;
                out += Escape(name, true);
                out += ' ';
                out += Escape(std::get<std::string>(value), false);
            }
            out += '\n';
        }
    }
    return out;
}
