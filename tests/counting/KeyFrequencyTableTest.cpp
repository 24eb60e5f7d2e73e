#include "counting/KeyFrequencyTable.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

#include "files/FileIo.h"
#include "support/TempFolder.h"

namespace {

std::string Bytes(std::initializer_list<unsigned char> bytes) {
    return std::string(bytes.begin(), bytes.end());
}

void WriteFile(const std::filesystem::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
}

TEST(KeyFrequencyTableTest, KnowsTheNamesOfAllKeys) {
    KeyFrequencyTable table;
    table.FillKeyNames();
    const struct {
        std::int32_t code;
        const char* name;
    } cases[] = {
        {'0', "0"},           {'9', "9"},          {'A', "A"},
        {'Z', "Z"},           {0x70, "F1"},        {0x7E, "F15"},
        {0x60, "Keypad: 0"},  {0x69, "Keypad: 9"}, {0xDC, "\\"},
        {0xDE, "'"},          {0x0D, "Enter"},     {333333, "Keypad Enter"},
        {0xA0, "Left shift"}, {0xA5, "Right alt"}, {0x5C, "Right Winkey"},
        {0x6E, "Keypad: ."},  {0x10, "Unknown"},   {0x11, "Unknown"},
        {0x12, "Unknown"},    {0x7F, "Unknown"},   {-1, "Unknown"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(table.KeyName(c.code), c.name) << c.code;
    }
    int named = 0;
    for (std::int32_t code = 0; code < 256; ++code) {
        named += table.KeyName(code) != "Unknown" ? 1 : 0;
    }
    EXPECT_EQ(named + 1, 107);  // plus "Keypad Enter" outside the key-code range
}

TEST(KeyFrequencyTableTest, IncrementCountsFromOne) {
    KeyFrequencyTable table;
    EXPECT_EQ(table.Increment(0x41), 1);
    EXPECT_EQ(table.Increment(0x41), 2);
    EXPECT_EQ(table.Increment(0x20), 1);
    EXPECT_EQ(table.Size(), 2u);
    table.Clear();
    EXPECT_EQ(table.Size(), 0u);
}

TEST(KeyFrequencyTableTest, FileFormatIsLittleEndianPairs) {
    TempFolder folder;
    const auto file = folder / "keyfreq.bin";
    KeyFrequencyTable table;
    ASSERT_TRUE(table.Save(file));
    EXPECT_EQ(ReadWholeFile(file), Bytes({0, 0, 0, 0}));

    table.Increment(0x41);
    table.Increment(0x41);
    table.Increment(0x41);
    ASSERT_TRUE(table.Save(file));
    EXPECT_EQ(ReadWholeFile(file), Bytes({1, 0, 0, 0, 0x41, 0, 0, 0, 3, 0, 0, 0}));

    KeyFrequencyTable loaded;
    ASSERT_TRUE(loaded.Load(file));
    EXPECT_EQ(loaded.Entries(), table.Entries());
}

TEST(KeyFrequencyTableTest, RoundTripsManyKeysAndNegativeValues) {
    TempFolder folder;
    KeyFrequencyTable table;
    for (std::int32_t code = 0; code < 300; ++code) {
        for (int i = 0; i <= code % 7; ++i) {
            table.Increment(code);
        }
    }
    table.Increment(-5);
    ASSERT_TRUE(table.Save(folder / "keyfreq.bin"));
    KeyFrequencyTable loaded;
    ASSERT_TRUE(loaded.Load(folder / "keyfreq.bin"));
    EXPECT_EQ(loaded.Entries(), table.Entries());
}

TEST(KeyFrequencyTableTest, LoadingReplacesTheCountsAndLastDuplicateWins) {
    TempFolder folder;
    const auto file = folder / "keyfreq.bin";
    KeyFrequencyTable table;
    table.Increment(0x42);

    WriteFile(file, Bytes({0, 0, 0, 0}));
    ASSERT_TRUE(table.Load(file));
    EXPECT_EQ(table.Size(), 0u);

    WriteFile(file, Bytes({2, 0, 0, 0, 0x41, 0, 0, 0, 3, 0, 0, 0, 0x41, 0, 0, 0, 9, 0, 0, 0}));
    ASSERT_TRUE(table.Load(file));
    EXPECT_EQ(table.Entries(), (KeyFrequencyTable::Counts{{0x41, 9}}));
}

TEST(KeyFrequencyTableTest, DamagedFilesNeverStopTheProgram) {
    TempFolder folder;
    const auto file = folder / "keyfreq.bin";
    const KeyFrequencyTable::Counts before{{0x20, 5}};
    const struct {
        const char* what;
        std::string bytes;
        bool loads;
        KeyFrequencyTable::Counts after;
    } cases[] = {
        {"empty file", "", false, before},
        {"count cut short", Bytes({1, 0}), false, before},
        {"ends inside the second pair",
         Bytes({2, 0, 0, 0, 0x41, 0, 0, 0, 3, 0, 0, 0, 0x42, 0, 0}),
         true,
         {{0x41, 3}}},
        {"huge count, one pair",
         Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0x41, 0, 0, 0, 3, 0, 0, 0}),
         true,
         {{0x41, 3}}},
        {"huge count, nothing else", Bytes({0xFF, 0xFF, 0xFF, 0xFF}), true, {}},
        {"trailing bytes", Bytes({1, 0, 0, 0, 0x41, 0, 0, 0, 3, 0, 0, 0, 7}), true, {{0x41, 3}}},
    };
    for (const auto& c : cases) {
        KeyFrequencyTable table;
        table.Increment(0x20);
        for (int i = 0; i < 4; ++i) {
            table.Increment(0x20);
        }
        WriteFile(file, c.bytes);
        EXPECT_EQ(table.Load(file), c.loads) << c.what;
        EXPECT_EQ(table.Entries(), c.after) << c.what;
    }

    KeyFrequencyTable table;
    table.Increment(0x20);
    EXPECT_FALSE(table.Load(folder / "missing.bin"));
    EXPECT_EQ(table.Size(), 1u);
}

TEST(KeyFrequencyTableTest, AFailedSaveLeavesTheOldFile) {
    TempFolder folder;
    const auto file = folder / "keyfreq.bin";
    KeyFrequencyTable table;
    table.Increment(0x41);
    ASSERT_TRUE(table.Save(file));
    const auto saved = ReadWholeFile(file);

    table.Increment(0x42);
    EXPECT_FALSE(table.Save(folder / "no such folder" / "keyfreq.bin"));
    if (::geteuid() != 0) {  // root writes to read-only folders anyway
        std::filesystem::permissions(
            folder.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        EXPECT_FALSE(table.Save(file));
        EXPECT_EQ(ReadWholeFile(file), saved);
    }
}

}  // namespace
