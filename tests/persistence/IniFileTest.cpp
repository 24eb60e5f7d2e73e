#include "persistence/IniFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "files/FileIo.h"
#include "support/TempFolder.h"

// Readable failure output for records; found by lookup, so it lives beside IniRecord.
void PrintTo(const IniRecord& record, std::ostream* out) {
    *out << "{comments \"" << record.CommentText << "\", mark '" << record.CommentMark << "', "
         << (record.IsHeader ? "header" : "key") << " [" << record.Section << "] \"" << record.Key
         << "\"=\"" << record.Value << "\"}";
}

namespace {

IniRecord Header(std::string_view section, char mark = ' ', std::string_view comments = "") {
    IniRecord record = IniRecord::Header(section);
    record.CommentMark = mark;
    record.CommentText = comments;
    return record;
}

IniRecord Key(std::string_view section, std::string_view key, std::string_view value,
              char mark = ' ', std::string_view comments = "") {
    IniRecord record = IniRecord::KeyLine(section, key, value);
    record.CommentMark = mark;
    record.CommentText = comments;
    return record;
}

struct ParseCase {
    const char* name;
    std::string text;
    IniRecords expected;
};

TEST(IniFileTest, ParsesTheLineSyntax) {
    const ParseCase cases[] = {
        {"keys and values are not trimmed",
         " [User] \r\nRank = 5\r\n\tRank=6\t\r\n",
         {Header("User"), Key("User", "Rank ", " 5"), Key("User", "Rank", "6")}},
        {"lone line feeds and a last line without a line end",
         "[Proxy]\nProxyHost=a\nProxyPort=8080",
         {Header("Proxy"), Key("Proxy", "ProxyHost", "a"), Key("Proxy", "ProxyPort", "8080")}},
        {"only the first = splits, and [ inside a value is no header",
         "[Proxy]\r\nProxyPass=a[b]=c\r\n",
         {Header("Proxy"), Key("Proxy", "ProxyPass", "a[b]=c")}},
        {"a header runs to the first ] or to the end of the line",
         "[Geek Window Skin]junk\r\n[ Odd ] ]\r\n[Open\r\nX=1\r\n",
         {Header("Geek Window Skin"), Header(" Odd "), Header("Open"), Key("Open", "X", "1")}},
        {"commented-out lines keep their mark and still count",
         "[Preferences]\r\n;CountKeys=0\r\n#  [Old]\r\n  ; Rank=1\r\n",
         {Header("Preferences"), Key("Preferences", "CountKeys", "0", ';'), Header("Old", '#'),
          Key("Old", "Rank", "1", ';')}},
        {"comment lines go to the next record; junk lines are dropped",
         "# top\r\n; second  \r\n[User]\r\n# about Rank\r\njunk line\r\nRank=1\r\n# at the end\r\n",
         {Header("User", ' ', "# top\n; second\n"),
          Key("User", "Rank", "1", ' ', "# about Rank\n")}},
        {"keys before any header have no section; an empty key is still a key line",
         "Early=1\r\n=v\r\n",
         {Key("", "Early", "1"), Key("", "", "v")}},
        {"blank lines and an empty file give nothing", "\r\n \t \r\n\n", {}},
    };
    for (const ParseCase& c : cases) {
        EXPECT_EQ(CIniFile::ParseRecords(c.text), c.expected) << c.name;
    }
}

TEST(IniFileTest, WritesEveryLineWithALeadingMarkAndCarriageReturnLineFeed) {
    const IniRecords records = {Header("User", ' ', "# top\n; second\n"),
                                Key("User", "Rank ", " 5"), Key("User", "CountKeys", "0", ';'),
                                Header("Old", '#'), Key("Old", "", "v")};
    EXPECT_EQ(CIniFile::FormatRecords(records),
              "# top\r\n; second\r\n [User]\r\n Rank = 5\r\n;CountKeys=0\r\n#[Old]\r\n =v\r\n");
}

class IniFileOnDiskTest : public ::testing::Test {
protected:
    void WriteFile(const std::string& bytes) { std::ofstream(path_, std::ios::binary) << bytes; }
    std::string FileBytes() const { return ReadWholeFile(path_).value_or("<missing>"); }

    TempFolder folder_;
    std::filesystem::path path_ = folder_ / "settings.ini";
};

TEST_F(IniFileOnDiskTest, ReadsTheFirstMatchingKeyWhateverItsMark) {
    WriteFile(
        "[Preferences]\r\n;CountKeys=7x\r\nCountKeys=1\r\ncountkeys=2\r\n"
        "[User]\r\nRank = 5\r\nEmail=a@b\r\n[Preferences]\r\nShowSplash=1");
    EXPECT_EQ(CIniFile::ReadValue("CountKeys", "Preferences", path_), "7x");
    EXPECT_EQ(CIniFile::ReadValue("countkeys", "Preferences", path_), "2");
    EXPECT_EQ(CIniFile::ReadValue("Rank", "User", path_), "");
    EXPECT_EQ(CIniFile::ReadValue("Rank ", "User", path_), " 5");
    EXPECT_EQ(CIniFile::ReadValue("ShowSplash", "Preferences", path_), "1");
    EXPECT_EQ(CIniFile::ReadValue("Email", "Preferences", path_), "");
    EXPECT_TRUE(CIniFile::HasSection("User", path_));
    EXPECT_FALSE(CIniFile::HasSection("user", path_));
    EXPECT_TRUE(CIniFile::HasKey("Email", "User", path_));
    EXPECT_FALSE(CIniFile::HasKey("Email", "Proxy", path_));

    const std::filesystem::path missing = folder_ / "none.ini";
    EXPECT_EQ(CIniFile::ReadValue("Rank", "User", missing), "");
    EXPECT_FALSE(CIniFile::HasSection("User", missing));
    EXPECT_FALSE(CIniFile::LoadRecords(missing).has_value());
    const std::filesystem::path aFolder = folder_ / "folder.ini";
    std::filesystem::create_directory(aFolder);
    EXPECT_EQ(CIniFile::ReadValue("Rank", "User", aFolder), "");
    EXPECT_FALSE(CIniFile::WriteValue("Rank", "1", "User", aFolder));
}

struct WriteCase {
    const char* name;
    std::string before;
    const char* key;
    const char* value;
    const char* section;
    std::string after;
};

TEST_F(IniFileOnDiskTest, WriteValueUpdatesInsertsOrAppends) {
    const WriteCase cases[] = {
        {"a commented-out key keeps its mark and takes the value",
         "[Preferences]\r\n;CountKeys=0\r\n", "CountKeys", "1", "Preferences",
         " [Preferences]\r\n;CountKeys=1\r\n"},
        {"other spellings do not match: a new line goes directly after the header",
         "[Preferences]\r\nShowSplash=1\r\ncountkeys=0\r\nCountKeys = 0\r\n", "CountKeys", "1",
         "Preferences",
         " [Preferences]\r\n CountKeys=1\r\n ShowSplash=1\r\n countkeys=0\r\n CountKeys = 0\r\n"},
        {"of two equal keys the first is updated", "[User]\r\nRank=1\r\nRank=2\r\n", "Rank", "9",
         "User", " [User]\r\n Rank=9\r\n Rank=2\r\n"},
        {"comments stay before their line, trailing comments and junk go",
         "# settings\n[User]\n; rank below\nRank=1\njunk\n# the end\n", "Rank", "2", "User",
         "# settings\r\n [User]\r\n; rank below\r\n Rank=2\r\n"},
        {"a missing section is appended with its key", "[User]\r\nRank=1", "ProxyUse", "0", "Proxy",
         " [User]\r\n Rank=1\r\n [Proxy]\r\n ProxyUse=0\r\n"},
        {"the first record of the section is the insertion point, even a commented-out header",
         "#[Proxy]\r\n[Proxy]\r\nProxyUse=1\r\n", "ProxyHost", "h", "Proxy",
         "#[Proxy]\r\n ProxyHost=h\r\n [Proxy]\r\n ProxyUse=1\r\n"},
        {"an empty file", "", "Rank", "1", "User", " [User]\r\n Rank=1\r\n"},
    };
    for (const WriteCase& c : cases) {
        WriteFile(c.before);
        EXPECT_TRUE(CIniFile::WriteValue(c.key, c.value, c.section, path_)) << c.name;
        EXPECT_EQ(FileBytes(), c.after) << c.name;
    }
}

TEST_F(IniFileOnDiskTest, KeysWrittenFromScratchComeOutInReverseWithinTheirSection) {
    ASSERT_TRUE(CIniFile::EnsureFile(path_));
    for (const char* key : {"TotalClicks", "TotalMiles", "KeysSinceLastReset"}) {
        ASSERT_TRUE(CIniFile::WriteValue(key, "0", "User", path_));
    }
    ASSERT_TRUE(CIniFile::WriteValue("NewAccount", "0", "Program Data", path_));
    EXPECT_EQ(FileBytes(),
              " [User]\r\n KeysSinceLastReset=0\r\n TotalMiles=0\r\n TotalClicks=0\r\n"
              " [Program Data]\r\n NewAccount=0\r\n");
}

TEST_F(IniFileOnDiskTest, NothingIsWrittenWithoutAFileAndFilesAreOwnerOnly) {
    EXPECT_FALSE(CIniFile::WriteValue("Rank", "1", "User", path_));
    EXPECT_FALSE(std::filesystem::exists(path_));

    ASSERT_TRUE(CIniFile::EnsureFile(path_));
    EXPECT_EQ(FileBytes(), "");
    struct stat info {};
    ASSERT_EQ(::stat(path_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    // An existing file is left alone by EnsureFile, and rewritten owner-only.
    WriteFile("[User]\r\nRank=1\r\n");
    ::chmod(path_.c_str(), 0644);
    ASSERT_TRUE(CIniFile::EnsureFile(path_));
    EXPECT_EQ(FileBytes(), "[User]\r\nRank=1\r\n");
    ASSERT_TRUE(CIniFile::WriteValue("Rank", "2", "User", path_));
    ASSERT_EQ(::stat(path_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    EXPECT_FALSE(CIniFile::EnsureFile(folder_ / "no-such-folder" / "settings.ini"));
}

// SetValue in memory must leave the records as the rewritten file would read back, or a
// one-pass save would differ from key-by-key writes. Values the reader trims or splits are
// the hard part.
TEST_F(IniFileOnDiskTest, SetValueLeavesTheRecordsAsTheRewrittenFileReadsBack) {
    const char* const values[] = {"plain",
                                  "trailing blank ",
                                  " leading blank",
                                  "two\nlines",
                                  "x\n[Proxy]\nProxyUse=7",
                                  "ends in cr\r",
                                  "",
                                  "#hash=;semi"};
    const std::string before = "[User]\r\n;Email=old\r\n[Proxy]\r\nProxyUse=1\r\n";
    for (const char* value : values) {
        for (const char* section : {"User", "Proxy", "Program Data"}) {
            WriteFile(before);
            IniRecords inMemory = *CIniFile::LoadRecords(path_);
            CIniFile::SetValue(inMemory, "Email", value, section);
            CIniFile::SetValue(inMemory, "ProxyUse", "2", "Proxy");

            ASSERT_TRUE(CIniFile::WriteValue("Email", value, section, path_));
            ASSERT_TRUE(CIniFile::WriteValue("ProxyUse", "2", "Proxy", path_));
            EXPECT_EQ(inMemory, *CIniFile::LoadRecords(path_)) << value << " in " << section;
            EXPECT_EQ(CIniFile::FormatRecords(inMemory), FileBytes()) << value << " in " << section;
        }
    }
}

}  // namespace
