#include "persistence/FileTypedStore.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "files/FileIo.h"
#include "support/TempFolder.h"

namespace {

using namespace std::string_literals;

constexpr std::string_view Prefs = "Software\\Kestrovin\\Preferences";

class FileTypedStoreTest : public ::testing::Test {
protected:
    std::string FileBytes() const { return ReadWholeFile(file_).value_or("<missing>"); }
    void WriteFile(const std::string& bytes) const {
        std::filesystem::create_directories(file_.parent_path());
        std::ofstream(file_, std::ios::binary) << bytes;
    }
    static std::string Text(FileTypedStore& store, std::string_view key, std::string_view name) {
        std::string value = "<none>";
        store.ReadText(key, name, value);
        return value;
    }
    static std::int32_t Int(FileTypedStore& store, std::string_view key, std::string_view name) {
        std::int32_t value = -1;
        store.ReadInt(key, name, value);
        return value;
    }

    TempFolder folder_;
    std::filesystem::path file_ = folder_ / "config" / "Kestrovin" / "registry.conf";
};

TEST_F(FileTypedStoreTest, ValuesPersistAcrossObjectsWithTheirKind) {
    const std::string awkward[] = {"",
                                   "Default",
                                   " spaces at both ends ",
                                   "100% \\back\\slash\\",
                                   "line\nbreak\r\nand\ttab",
                                   "nul\0inside"s,
                                   "\xC3\xA9t\xC3\xA9 \xFF"};
    {
        FileTypedStore store(file_);
        store.WriteInt(Prefs, "CountKeys", 1);
        store.WriteInt(Prefs, "Negative", -2147483647 - 1);
        store.WriteText("Software\\Kestrovin\\Geek Window Skin", "SkinName", "Default");
        for (std::size_t i = 0; i < std::size(awkward); ++i) {
            store.WriteText("Software\\Kestrovin\\Odd key %\n", "name " + std::to_string(i),
                            awkward[i]);
        }
        store.WriteText(Prefs, "", "the unnamed value");
        store.CreateKey("Software\\Kestrovin\\Empty");
        ASSERT_TRUE(store.Flush());
    }
    FileTypedStore store(file_);
    EXPECT_EQ(Int(store, Prefs, "CountKeys"), 1);
    EXPECT_EQ(Int(store, Prefs, "Negative"), -2147483647 - 1);
    EXPECT_EQ(Text(store, "Software\\Kestrovin\\Geek Window Skin", "SkinName"), "Default");
    for (std::size_t i = 0; i < std::size(awkward); ++i) {
        EXPECT_EQ(Text(store, "Software\\Kestrovin\\Odd key %\n", "name " + std::to_string(i)),
                  awkward[i]);
    }
    EXPECT_EQ(Text(store, Prefs, ""), "the unnamed value");
    EXPECT_TRUE(store.KeyExists("Software\\Kestrovin\\Empty"));

    // A value of the other kind, or in another spelling, is missing.
    std::int32_t untouched = 77;
    EXPECT_FALSE(store.ReadInt("Software\\Kestrovin\\Geek Window Skin", "SkinName", untouched));
    EXPECT_FALSE(store.ReadInt(Prefs, "countkeys", untouched));
    EXPECT_FALSE(store.ReadInt("Software\\Kestrovin\\preferences", "CountKeys", untouched));
    EXPECT_EQ(untouched, 77);
    EXPECT_EQ(Text(store, Prefs, "CountKeys"), "<none>");

    // Readable by people: one line per value.
    EXPECT_NE(
        FileBytes().find("\nkey Software\\Kestrovin\\Geek Window Skin\ntext SkinName Default\n"),
        std::string::npos);
}

TEST_F(FileTypedStoreTest, ATrailingBackslashNamesTheSameKey) {
    FileTypedStore store(file_);
    store.WriteInt("Software\\Kestrovin\\Windows\\", "bShowSplash", 1);
    EXPECT_EQ(Int(store, "Software\\Kestrovin\\Windows", "bShowSplash"), 1);
    EXPECT_TRUE(store.KeyExists("Software\\Kestrovin\\Windows"));
    EXPECT_TRUE(store.KeyExists("Software\\Kestrovin\\Windows\\"));
}

TEST_F(FileTypedStoreTest, KeysExistThroughTheirSubkeysAndAreDeletedWithThem) {
    FileTypedStore store(file_);
    store.WriteInt("Software\\Kestrovin\\Windows\\Sub", "x", 1);
    store.WriteInt("Software\\Kestrovin\\Windows Other", "y", 2);
    store.WriteInt("Software\\Kestrovin\\Windows", "z", 3);
    EXPECT_TRUE(store.KeyExists("Software\\Kestrovin"));
    EXPECT_FALSE(store.KeyExists("Software\\Kestro"));

    EXPECT_TRUE(store.DeleteKey("Software\\Kestrovin\\Windows\\"));
    EXPECT_FALSE(store.KeyExists("Software\\Kestrovin\\Windows"));
    EXPECT_FALSE(store.KeyExists("Software\\Kestrovin\\Windows\\Sub"));
    EXPECT_EQ(Int(store, "Software\\Kestrovin\\Windows Other", "y"), 2);
    EXPECT_FALSE(store.DeleteKey("Software\\Kestrovin\\Windows"));

    ASSERT_TRUE(store.Flush());
    FileTypedStore reopened(file_);
    EXPECT_FALSE(reopened.KeyExists("Software\\Kestrovin\\Windows"));
    EXPECT_TRUE(reopened.KeyExists("Software\\Kestrovin\\Windows Other"));
}

TEST_F(FileTypedStoreTest, FlushWritesOnlyChangesOwnerOnlyInAnOwnerOnlyFolder) {
    {
        FileTypedStore store(file_);
        EXPECT_TRUE(store.Flush());
        EXPECT_FALSE(std::filesystem::exists(file_.parent_path()));
        store.WriteInt(Prefs, "CountKeys", 1);
        ASSERT_TRUE(store.Flush());
    }
    struct stat info {};
    ASSERT_EQ(::stat(file_.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(file_.parent_path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // Writing what is already there changes nothing, so nothing is written.
    std::filesystem::remove(file_);
    FileTypedStore store(folder_ / "config" / "Kestrovin" / "other.conf");
    store.WriteInt(Prefs, "CountKeys", 1);
    ASSERT_TRUE(store.Flush());
    store.WriteInt(Prefs, "CountKeys", 1);
    store.CreateKey(Prefs);
    std::filesystem::remove(folder_ / "config" / "Kestrovin" / "other.conf");
    EXPECT_TRUE(store.Flush());
    EXPECT_FALSE(std::filesystem::exists(folder_ / "config" / "Kestrovin" / "other.conf"));
}

TEST_F(FileTypedStoreTest, ADamagedFileReadsWhatItCanAndNeverCrashes) {
    WriteFile(
        "int Orphan 1\n"
        "key Software\\Kestrovin\\Preferences\r\n"
        "int CountKeys 1\r\n"
        "int TooBig 2147483648\n"
        "int NotANumber 12x\n"
        "text BadEscape %G1\n"
        "text CutEscape %4\n"
        "text NoValue\n"
        "bool Odd 1\n"
        "\x01\x02\xFF garbage\n"
        "text SkinName Default\n"
        "key Bad%Zpath\n"
        "int Lost 5\n"
        "key Software\\Kestrovin\\Preferences\n"
        "int ShowSplash 0");
    FileTypedStore store(file_);
    EXPECT_EQ(Int(store, Prefs, "CountKeys"), 1);
    EXPECT_EQ(Int(store, Prefs, "ShowSplash"), 0);
    EXPECT_EQ(Text(store, Prefs, "SkinName"), "Default");
    for (const char* name :
         {"Orphan", "TooBig", "NotANumber", "BadEscape", "CutEscape", "NoValue", "Odd", "Lost"}) {
        EXPECT_EQ(Int(store, Prefs, name), -1) << name;
        EXPECT_EQ(Text(store, Prefs, name), "<none>") << name;
    }

    std::string garbage;
    for (int i = 0; i < 4096; ++i) {
        garbage += static_cast<char>((i * 7919) % 256);
    }
    WriteFile(garbage);
    FileTypedStore fromGarbage(file_);
    EXPECT_FALSE(fromGarbage.KeyExists(Prefs));
}

TEST_F(FileTypedStoreTest, AFileThatCannotBeReadIsNeverOverwritten) {
    std::filesystem::create_directories(file_);  // a folder where the file should be
    FileTypedStore store(file_);
    EXPECT_FALSE(store.KeyExists(Prefs));
    store.WriteInt(Prefs, "CountKeys", 1);
    EXPECT_FALSE(store.Flush());
    EXPECT_TRUE(std::filesystem::is_directory(file_));
}

TEST_F(FileTypedStoreTest, TheDefaultFileIsInTheUsersConfigFolder) {
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string previous = saved != nullptr ? saved : "";
    ::setenv("XDG_CONFIG_HOME", (folder_ / "xdg").c_str(), 1);
    EXPECT_EQ(FileTypedStore::DefaultPath(), folder_ / "xdg" / "Kestrovin" / "registry.conf");
    if (saved != nullptr) {
        ::setenv("XDG_CONFIG_HOME", previous.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
}

}  // namespace
