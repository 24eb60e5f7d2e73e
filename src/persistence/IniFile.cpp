#include "persistence/IniFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "files/FileIo.h"

namespace {

constexpr mode_t OwnerOnly = 0600;
constexpr std::string_view Blanks = " \t\r\n";

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(Blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(Blanks);
    return text.substr(first, last - first + 1);
}

// Comment text holds "\n" after each line; on disk every line ends in "\r\n".
void AppendWithFileLineEnds(std::string& out, std::string_view text) {
    char previous = '\0';
    for (const char c : text) {
        if (c == '\n' && previous != '\r') {
            out += '\r';
        }
        out += c;
        previous = c;
    }
}

bool IsKeyLineOf(const IniRecord& record, std::string_view key, std::string_view section) {
    return !record.IsHeader && record.Section == section && record.Key == key;
}

// Whether the record, written under its section's header, reads back exactly as it is. Only
// values and names that the reader trims or splits (line ends, trailing blanks, a "]" in a
// section name, ...) fail this.
bool ReadsBackUnchanged(const IniRecord& record) {
    const IniRecords written = {IniRecord::Header(record.Section), record};
    return CIniFile::ParseRecords(CIniFile::FormatRecords(written)) == written;
}

}  // namespace

IniRecord IniRecord::Header(std::string_view section) {
    IniRecord record;
    record.Section = section;
    record.IsHeader = true;
    return record;
}

IniRecord IniRecord::KeyLine(std::string_view section, std::string_view key,
                             std::string_view value) {
    IniRecord record;
    record.Section = section;
    record.Key = key;
    record.Value = value;
    return record;
}

IniRecords CIniFile::ParseRecords(std::string_view text) {
    IniRecords records;
    std::string section;
    std::string pendingComments;

    std::size_t position = 0;
    while (position < text.size()) {
        // A lone "\n" ends a line too; the "\r" before it is trimmed with the blanks.
        const auto end = text.find('\n', position);
        std::string_view line = text.substr(position, end - position);
        position = end == std::string_view::npos ? text.size() : end + 1;

        line = Trim(line);
        if (line.empty()) {
            continue;
        }
        char mark = ' ';
        if (line.front() == '#' || line.front() == ';') {
            if (line.find_first_of("[=") == std::string_view::npos) {
                pendingComments.append(line);
                pendingComments += '\n';
                continue;
            }
            mark = line.front();
            line = Trim(line.substr(1));
        }

        IniRecord record;
        if (line.front() == '[') {
            const auto close = line.find(']', 1);
            section = line.substr(1, close == std::string_view::npos ? line.npos : close - 1);
            record = IniRecord::Header(section);
        } else if (const auto equals = line.find('='); equals != std::string_view::npos) {
            record = IniRecord::KeyLine(section, line.substr(0, equals), line.substr(equals + 1));
        } else {
            // Neither header nor key: dropped, and its comments go to the next record.
            continue;
        }
        record.CommentMark = mark;
        record.CommentText = std::move(pendingComments);
        pendingComments.clear();
        records.push_back(std::move(record));
    }
    // Comments after the last record belong to nothing and are not kept.
    return records;
}

std::string CIniFile::FormatRecords(const IniRecords& records) {
    std::string out;
    for (const IniRecord& record : records) {
        AppendWithFileLineEnds(out, record.CommentText);
        out += record.CommentMark;
        if (record.IsHeader) {
            out += '[';
            out += record.Section;
            out += ']';
        } else {
            out += record.Key;
            out += '=';
            out += record.Value;
        }
        out += "\r\n";
    }
    return out;
}

const IniRecord* CIniFile::FindKey(const IniRecords& records, std::string_view key,
                                   std::string_view section) {
    for (const IniRecord& record : records) {
        if (IsKeyLineOf(record, key, section)) {
            return &record;
        }
    }
    return nullptr;
}

const IniRecord* CIniFile::FindSection(const IniRecords& records, std::string_view section) {
    for (const IniRecord& record : records) {
        if (record.Section == section) {
            return &record;
        }
    }
    return nullptr;
}

void CIniFile::SetValue(IniRecords& records, std::string_view key, std::string_view value,
                        std::string_view section) {
    const IniRecord* changed = nullptr;
    if (const IniRecord* existing = FindKey(records, key, section); existing != nullptr) {
        IniRecord& record = records[static_cast<std::size_t>(existing - records.data())];
        record.Value = value;
        changed = &record;
    } else if (const IniRecord* first = FindSection(records, section); first != nullptr) {
        const auto after = records.begin() + (first - records.data()) + 1;
        changed = &*records.insert(after, IniRecord::KeyLine(section, key, value));
    } else {
        records.push_back(IniRecord::Header(section));
        records.push_back(IniRecord::KeyLine(section, key, value));
        changed = &records.back();
    }
    // Written to disk and read again, such a value or name would come back trimmed or split
    // into other lines; later writes must see it that way, as they would after a real rewrite.
    if (!ReadsBackUnchanged(*changed)) {
        records = ParseRecords(FormatRecords(records));
    }
}

std::optional<IniRecords> CIniFile::LoadRecords(const std::filesystem::path& path) {
    const std::optional<std::string> text = ReadWholeFile(path);
    if (!text) {
        return std::nullopt;
    }
    return ParseRecords(*text);
}

bool CIniFile::SaveRecords(const std::filesystem::path& path, const IniRecords& records) {
    return WriteFileAtomically(path, FormatRecords(records), OwnerOnly);
}

bool CIniFile::EnsureFile(const std::filesystem::path& path) {
    // O_EXCL leaves anything already there untouched, even a dangling link.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, OwnerOnly);
    if (fd < 0) {
        return errno == EEXIST;
    }
    ::close(fd);
    return true;
}

std::string CIniFile::ReadValue(std::string_view key, std::string_view section,
                                const std::filesystem::path& path) {
    const std::optional<IniRecords> records = LoadRecords(path);
    if (!records) {
        return {};
    }
    const IniRecord* record = FindKey(*records, key, section);
    return record != nullptr ? record->Value : std::string();
}

bool CIniFile::WriteValue(std::string_view key, std::string_view value, std::string_view section,
                          const std::filesystem::path& path) {
    std::optional<IniRecords> records = LoadRecords(path);
    if (!records) {
        return false;
    }
    SetValue(*records, key, value, section);
    return SaveRecords(path, *records);
}

bool CIniFile::HasSection(std::string_view section, const std::filesystem::path& path) {
    const std::optional<IniRecords> records = LoadRecords(path);
    return records && FindSection(*records, section) != nullptr;
}

bool CIniFile::HasKey(std::string_view key, std::string_view section,
                      const std::filesystem::path& path) {
    const std::optional<IniRecords> records = LoadRecords(path);
    return records && FindKey(*records, key, section) != nullptr;
}
