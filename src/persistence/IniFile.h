#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One section header line or key line of settings.ini, with the comment lines above it.
struct IniRecord {
    // The comment lines that stood directly before this line, each followed by "\n".
    std::string CommentText;
    // ' ' for an ordinary line; '#' or ';' for a line that is commented out but still counts.
    char CommentMark = ' ';
    // A header's own name; for a key line the name of the last header above it.
    std::string Section;
    // Empty for a header; otherwise the text before the first "=" and the text after it,
    // neither of them trimmed.
    std::string Key;
    std::string Value;
    // Kept apart from the key so that a line "=x" stays a key line when written back.
    bool IsHeader = false;

    static IniRecord Header(std::string_view section);
    static IniRecord KeyLine(std::string_view section, std::string_view key,
                             std::string_view value);

    bool operator==(const IniRecord&) const = default;
};

using IniRecords = std::vector<IniRecord>;

// settings.ini, a text file that people may edit. A rewrite keeps every header and key line
// (commented out or not, known or not) and the comment lines above them; lines that are
// neither, and comments after the last record, are dropped. Each path operation reads or
// rewrites the file as it is on disk at that moment; nothing is cached between calls. Files are
// created readable by the owner only (they may hold the proxy password) and replaced
// atomically, so a crash never leaves half a file.
class CIniFile {
public:
    // Nothing when the file cannot be opened.
    static std::optional<IniRecords> LoadRecords(const std::filesystem::path& path);
    // False when the file cannot be written; the old file is then left as it was.
    static bool SaveRecords(const std::filesystem::path& path, const IniRecords& records);
    // Creates an empty file when nothing exists at the path; false when that fails.
    static bool EnsureFile(const std::filesystem::path& path);

    // "" when there is no such key or the file cannot be read.
    static std::string ReadValue(std::string_view key, std::string_view section,
                                 const std::filesystem::path& path);
    // Rewrites the whole file; false (and nothing written) when it cannot be read or written.
    static bool WriteValue(std::string_view key, std::string_view value, std::string_view section,
                           const std::filesystem::path& path);
    static bool HasSection(std::string_view section, const std::filesystem::path& path);
    static bool HasKey(std::string_view key, std::string_view section,
                       const std::filesystem::path& path);

    // The same rules applied to text and records in memory, for transfers of many keys.
    static IniRecords ParseRecords(std::string_view text);
    static std::string FormatRecords(const IniRecords& records);
    // The first key line with exactly this section and key (the comment mark plays no part).
    static const IniRecord* FindKey(const IniRecords& records, std::string_view key,
                                    std::string_view section);
    // The first record of any kind in the section (normally its header).
    static const IniRecord* FindSection(const IniRecords& records, std::string_view section);
    // What WriteValue does to the records of a file. Given records as LoadRecords returns them,
    // they afterwards equal what LoadRecords would return once WriteValue had rewritten the
    // file, so a series of these followed by one SaveRecords gives the same bytes as the same
    // series of WriteValue calls.
    static void SetValue(IniRecords& records, std::string_view key, std::string_view value,
                         std::string_view section);
};
