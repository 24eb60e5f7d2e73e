#include "persistence/DataFolder.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "files/FileIo.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

class DataFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(program);
        fs::create_directory(dataHome);
    }

    static void WriteText(const fs::path& file, const std::string& text) {
        std::ofstream(file, std::ios::binary) << text;
    }

    TempFolder temp;
    fs::path program = temp / "program";
    fs::path dataHome = temp / "data";
    DataFolder folder{program, dataHome};
};

TEST_F(DataFolderTest, AnyFileNamedPortableTxtSwitchesPortableModeOnAFolderDoesNot) {
    enum class Marker { Missing, EmptyFile, FileWithText, Folder };
    const struct {
        Marker marker;
        bool portable;
    } cases[] = {
        {Marker::Missing, false},
        {Marker::EmptyFile, true},
        {Marker::FileWithText, true},
        {Marker::Folder, false},
    };
    for (const auto& c : cases) {
        const fs::path marker = program / "portable.txt";
        fs::remove_all(marker);
        switch (c.marker) {
            case Marker::Missing:
                break;
            case Marker::EmptyFile:
                WriteText(marker, "");
                break;
            case Marker::FileWithText:
                WriteText(marker, "no\r\n");
                break;
            case Marker::Folder:
                fs::create_directory(marker);
                break;
        }
        EXPECT_EQ(folder.IsPortableMarkerPresent(), c.portable) << static_cast<int>(c.marker);
    }
}

TEST_F(DataFolderTest, SwitchingOnWritesTheMarkerAndSwitchingOffDeletesIt) {
    const fs::path marker = program / "portable.txt";
    WriteText(marker, "an older marker with more text");

    folder.ApplyPortableModeChange(false, true);
    EXPECT_EQ(ReadWholeFile(marker), "yes!");
    EXPECT_TRUE(folder.IsPortableMarkerPresent());

    folder.ApplyPortableModeChange(true, true);  // unchanged: left alone
    EXPECT_TRUE(fs::exists(marker));

    folder.ApplyPortableModeChange(true, false);
    EXPECT_FALSE(fs::exists(marker));
    EXPECT_FALSE(folder.IsPortableMarkerPresent());

    folder.ApplyPortableModeChange(false, false);
    EXPECT_FALSE(fs::exists(marker));
    // Deleting a marker that is already gone is no failure worth a word.
    folder.ApplyPortableModeChange(true, false);
}

TEST_F(DataFolderTest, SwitchingOffLeavesAFolderNamedLikeTheMarker) {
    fs::create_directory(program / "portable.txt");
    folder.ApplyPortableModeChange(true, false);
    EXPECT_TRUE(fs::is_directory(program / "portable.txt"));
}

TEST_F(DataFolderTest, SwitchingOnInAReadOnlyProgramFolderKeepsGoingSilently) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root writes into read-only folders";
    }
    fs::permissions(program, fs::perms::owner_read | fs::perms::owner_exec);
    folder.ApplyPortableModeChange(false, true);
    EXPECT_FALSE(folder.IsPortableMarkerPresent());
    EXPECT_TRUE(fs::is_empty(program));
}

TEST_F(DataFolderTest, NormalModeUsesAPrivatePerUserFolderCreatedOnFirstUse) {
    const fs::path perUser = dataHome / "Kestrovin";
    EXPECT_EQ(folder.GetDataFolder(false), perUser / "");
    EXPECT_FALSE(fs::exists(perUser)) << "GetDataFolder creates nothing";

    EXPECT_EQ(folder.GetDataFilePath("Kestrovin.ksv", false), perUser / "Kestrovin.ksv");
    ASSERT_TRUE(fs::is_directory(perUser));
    EXPECT_EQ(fs::status(perUser).permissions() & (fs::perms::group_all | fs::perms::others_all),
              fs::perms::none);

    // Asking again with the folder already there gives the same path.
    EXPECT_EQ(folder.GetDataFilePath("keyfreq.bin", false), perUser / "keyfreq.bin");
}

TEST_F(DataFolderTest, PerUserFolderGetsItsMissingParents) {
    const DataFolder nested(program, temp / "home/.local/share");
    EXPECT_EQ(nested.GetDataFilePath("Debug.log", false),
              temp / "home/.local/share/Kestrovin/Debug.log");
    EXPECT_TRUE(fs::is_directory(temp / "home/.local/share/Kestrovin"));
}

TEST_F(DataFolderTest, PortableModeKeepsEverythingBesideTheProgram) {
    EXPECT_EQ(folder.GetDataFilePath("Kestrovin.ksv", true), program / "Kestrovin.ksv");
    EXPECT_EQ(folder.GetDataFolder(true), program / "");
    EXPECT_EQ(folder.GetDataFolder(true).string().back(), '/');
    EXPECT_EQ(folder.SettingsFilePath(), program / "settings.ini");
    EXPECT_TRUE(fs::is_empty(dataHome)) << "portable mode touches no per-user folder";
}

TEST_F(DataFolderTest, WithoutADataHomeNormalModeUsesTheProgramFolder) {
    const DataFolder homeless(program, "");
    for (const bool portable : {false, true}) {
        EXPECT_EQ(homeless.GetDataFilePath("Skelds.log", portable), program / "Skelds.log");
        EXPECT_EQ(homeless.GetDataFolder(portable), program / "");
    }
    EXPECT_TRUE(homeless.PerUserFolder().empty());
}

TEST_F(DataFolderTest, AnUncreatablePerUserFolderStillGivesItsPath) {
    WriteText(dataHome / "Kestrovin", "a file in the way");
    EXPECT_EQ(folder.GetDataFilePath("Kestrovin.ksv", false),
              dataHome / "Kestrovin" / "Kestrovin.ksv");
}

TEST(DataFolderEnvironmentTest, DataHomeFollowsXdgAndIgnoresARelativeValue) {
    TempFolder home;
    ScopedEnvironment environment;
    environment.Set("HOME", home.Path().string());

    environment.Set("XDG_DATA_HOME", (home / "xdg-data").string());
    EXPECT_EQ(DataFolder::FromEnvironment().GetDataFolder(false), home / "xdg-data/Kestrovin/");

    environment.Set("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(DataFolder::FromEnvironment().GetDataFolder(false), home / ".local/share/Kestrovin/");

    environment.Unset("XDG_DATA_HOME");
    EXPECT_EQ(DataFolder::FromEnvironment().GetDataFolder(false), home / ".local/share/Kestrovin/");
}

TEST(DataFolderEnvironmentTest, ProgramFolderIsTheFolderOfTheRunningExecutable) {
    const fs::path executable = fs::read_symlink("/proc/self/exe");
    EXPECT_EQ(DataFolder::FromEnvironment().ProgramFolder(), executable.parent_path());
    EXPECT_EQ(DataFolder::FromEnvironment().PortableMarkerPath(),
              executable.parent_path() / "portable.txt");
}

}  // namespace
