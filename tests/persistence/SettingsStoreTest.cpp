#include "persistence/SettingsStore.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iomanip>
#include <sstream>
#include <vector>

#include "counting/DistanceUnit.h"
#include "files/FileIo.h"
#include "persistence/FileTypedStore.h"
#include "persistence/SettingsKeyTable.h"
#include "support/TempFolder.h"
#include "text/NumberText.h"

namespace {

// Every setting of the record as text, in table order, to compare whole records.
std::vector<std::string> SettingTexts(const AppRecord& record) {
    std::vector<std::string> texts;
    for (const SettingsKey& row : SettingsKeyTable()) {
        UseSettingField(record, row.Field, [&](const auto& field) {
            std::ostringstream text;
            text << std::setprecision(17) << row.Key << '=' << field;
            texts.push_back(text.str());
        });
    }
    return texts;
}

// A record whose every setting differs from its neighbours and from the start values.
AppRecord DistinctRecord(bool portable) {
    AppRecord record;
    record.Prefs.PortableMode = portable;
    int n = 0;
    for (const SettingsKey& row : SettingsKeyTable()) {
        ++n;
        UseSettingField(record, row.Field, [&](auto& field) {
            using Field = std::remove_cvref_t<decltype(field)>;
            if constexpr (std::is_same_v<Field, std::int32_t>) {
                field = 1000 + n;
            } else if constexpr (std::is_same_v<Field, double>) {
                field = n + 0.25;
            } else {
                field = "text " + std::string(row.Key);
            }
        });
    }
    return record;
}

// Passes everything on to a real store and counts the flushes.
class CountingStore final : public TypedStore {
public:
    explicit CountingStore(TypedStore& store) : store_(store) {}
    bool ReadInt(std::string_view k, std::string_view n, std::int32_t& v) override {
        return store_.ReadInt(k, n, v);
    }
    bool ReadText(std::string_view k, std::string_view n, std::string& v) override {
        return store_.ReadText(k, n, v);
    }
    void WriteInt(std::string_view k, std::string_view n, std::int32_t v) override {
        store_.WriteInt(k, n, v);
    }
    void WriteText(std::string_view k, std::string_view n, std::string_view v) override {
        store_.WriteText(k, n, v);
    }
    bool KeyExists(std::string_view k) override { return store_.KeyExists(k); }
    void CreateKey(std::string_view k) override { store_.CreateKey(k); }
    bool DeleteKey(std::string_view k) override { return store_.DeleteKey(k); }
    bool Flush() override {
        ++flushes;
        return store_.Flush();
    }
    int flushes = 0;

private:
    TypedStore& store_;
};

class SettingsStoreTest : public ::testing::Test {
protected:
    bool Transfer(AppRecord& record, std::string_view action) {
        FileTypedStore store(storeFile_);
        return SettingsStore(record, ini_, store).TransferSettings(action);
    }
    AppRecord Load(bool portable) {
        AppRecord record;
        record.Prefs.PortableMode = portable;
        Transfer(record, "load");
        return record;
    }
    void WriteIni(const std::string& bytes) const {
        std::ofstream(ini_, std::ios::binary) << bytes;
    }
    std::string IniBytes() const { return ReadWholeFile(ini_).value_or("<missing>"); }
    std::vector<std::string> IniLines() const {
        std::vector<std::string> lines;
        std::istringstream in(IniBytes());
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    TempFolder folder_;
    std::filesystem::path ini_ = folder_ / "settings.ini";
    std::filesystem::path storeFile_ = folder_ / "config" / "Kestrovin" / "registry.conf";
};

TEST_F(SettingsStoreTest, AnEmptyOrMissingStoreLoadsEveryKeyAsZeroOrEmpty) {
    const std::vector<std::string> zeros = [] {
        AppRecord zero;
        for (const SettingsKey& row : SettingsKeyTable()) {
            UseSettingField(zero, row.Field, [](auto& field) { field = {}; });
        }
        return SettingTexts(zero);
    }();

    for (const bool portable : {true, false}) {
        const AppRecord loaded = Load(portable);
        EXPECT_EQ(SettingTexts(loaded), zeros) << "portable " << portable;
        EXPECT_EQ(loaded.Prefs.CountKeys, 0);
        EXPECT_EQ(loaded.Prefs.Distance, 0);
        EXPECT_EQ(loaded.Prefs.SkinName, "");
    }
    // The load in portable mode leaves an empty settings file behind.
    EXPECT_EQ(IniBytes(), "");
    WriteIni("# only a comment\r\n");
    EXPECT_EQ(SettingTexts(Load(true)), zeros);
}

TEST_F(SettingsStoreTest, SavedSettingsLoadBackFromEitherStore) {
    for (const bool portable : {true, false}) {
        AppRecord saved = DistinctRecord(portable);
        ASSERT_TRUE(Transfer(saved, "save")) << "portable " << portable;
        EXPECT_EQ(SettingTexts(Load(portable)), SettingTexts(saved)) << "portable " << portable;
    }
}

TEST_F(SettingsStoreTest, EachSaveGoesToTheStoreThatPortableModeChooses) {
    AppRecord record = DistinctRecord(true);
    ASSERT_TRUE(Transfer(record, "save"));
    EXPECT_FALSE(std::filesystem::exists(storeFile_));

    std::filesystem::remove(ini_);
    record.Prefs.PortableMode = false;
    ASSERT_TRUE(Transfer(record, "anything but load saves"));
    EXPECT_FALSE(std::filesystem::exists(ini_));
    EXPECT_EQ(Load(false).Prefs.GeekTrans, record.Prefs.GeekTrans);
}

TEST_F(SettingsStoreTest, HandEditedFileValuesLoadByTheirLeadingNumber) {
    // The second line is what a key that does not match falls back to.
    const struct {
        const char* line;
        std::int32_t countKeys;
    } cases[] = {
        {"CountKeys=7x", 7},  {"CountKeys=x", 0},  {"CountKeys=-3", -3},
        {";CountKeys=0", 0},  {"#CountKeys=5", 5}, {"countkeys=1", 8},
        {"CountKeys = 1", 8}, {"CountKeys= 4", 4}, {"CountKeys=99999999999", 2147483647},
    };
    for (const auto& c : cases) {
        WriteIni(std::string("[Preferences]\r\n") + c.line + "\r\nCountKeys=8\r\n");
        EXPECT_EQ(Load(true).Prefs.CountKeys, c.countKeys) << c.line;
    }
}

TEST_F(SettingsStoreTest, AFileWrittenFromScratchListsEachSectionsKeysInReverse) {
    AppRecord record;
    record.Prefs.PortableMode = true;
    record.Account.KeysSinceLastReset = 12;
    ASSERT_TRUE(Transfer(record, "save"));

    const std::vector<std::string> lines = IniLines();
    ASSERT_EQ(lines.size(), 73u + 5u);
    EXPECT_EQ(lines.front(), " [User]\r");
    EXPECT_EQ(lines[1], " KeysSinceLastReset=12\r");
    EXPECT_EQ(lines[8], " TotalClicks=0\r");
    EXPECT_EQ(lines[9], " [Preferences]\r");
    EXPECT_EQ(lines.back(), " NewAccount=0\r");
    EXPECT_EQ(IniBytes().substr(IniBytes().size() - 2), "\r\n");
}

TEST_F(SettingsStoreTest, ARealGoesToTheFileWithSixDigitsAndToTheTypedStoreWithTwoDecimals) {
    AppRecord record;
    record.Account.TotalMiles = 123.456;
    record.Prefs.PortableMode = true;
    ASSERT_TRUE(Transfer(record, "save"));
    record.Prefs.PortableMode = false;
    ASSERT_TRUE(Transfer(record, "save"));

    EXPECT_NE(IniBytes().find("\r\n TotalMiles=123.456\r\n"), std::string::npos);
    std::string stored;
    FileTypedStore store(storeFile_);
    ASSERT_TRUE(store.ReadText("Software\\Kestrovin\\User", "TotalMiles", stored));
    EXPECT_EQ(stored, "123.46");

    EXPECT_EQ(Load(true).Account.TotalMiles, 123.456);
    EXPECT_EQ(Load(false).Account.TotalMiles, 123.46);
}

// A distance from a hand-edited file or a hostile server: the store writes every digit of
// whatever it is given, and reads back no more than a sane distance.
TEST_F(SettingsStoreTest, AnAbsurdDistanceIsWrittenInFullAndReadBackBounded) {
    AppRecord record;
    record.Account.TotalMiles = 1e70;
    ASSERT_TRUE(Transfer(record, "save"));
    std::string stored;
    ASSERT_TRUE(
        FileTypedStore(storeFile_).ReadText("Software\\Kestrovin\\User", "TotalMiles", stored));
    EXPECT_EQ(stored, NumberText::Fixed(1e70, 2));
    EXPECT_EQ(stored.size(), 74u);
    EXPECT_EQ(Load(false).Account.TotalMiles, kMaxMiles);

    const struct {
        const char* value;
        double miles;
    } cases[] = {{"1e70", kMaxMiles}, {"1e999", kMaxMiles}, {"-3", 0.0}, {"12.5", 12.5}};
    for (const auto& c : cases) {
        WriteIni(std::string("[User]\r\nTotalMiles=") + c.value + "\r\n");
        EXPECT_EQ(Load(true).Account.TotalMiles, c.miles) << c.value;
    }
    record.Prefs.PortableMode = true;
    ASSERT_TRUE(Transfer(record, "save"));
    EXPECT_NE(IniBytes().find("\r\n TotalMiles=1e+70\r\n"), std::string::npos) << IniBytes();
}

TEST_F(SettingsStoreTest, ASaveKeepsTheHandEditsThatMatter) {
    WriteIni(
        "; my settings\r\n[Preferences]\r\n;CountKeys=0\r\ncountkeys=0\r\n"
        "[User]\r\nRank=1\r\nRank=2\r\n# bye\r\n");
    AppRecord record = Load(true);
    EXPECT_EQ(record.Prefs.CountKeys, 0);
    EXPECT_EQ(record.Account.Rank, 1);

    record.Prefs.CountKeys = 1;
    record.Account.Rank = 3;
    ASSERT_TRUE(Transfer(record, "save"));
    const std::string bytes = IniBytes();
    EXPECT_EQ(bytes.find("; my settings\r\n [Preferences]\r\n"), 0u);
    EXPECT_NE(bytes.find("\r\n;CountKeys=1\r\n countkeys=0\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\n Rank=3\r\n Rank=2\r\n"), std::string::npos);
    EXPECT_EQ(bytes.find("bye"), std::string::npos);
}

// The one-pass save must write exactly the bytes of 73 key-by-key writes, and the one-pass
// load must read what 73 key-by-key reads would.
TEST_F(SettingsStoreTest, OnePassTransferEqualsKeyByKeyOnAHandEditedFile) {
    const std::string handEdited =
        "; Kestrovin settings, edited by hand\n"
        "Stray=before any header\n"
        "[User]\n"
        "# the e-mail address below is old\n"
        ";Email=old@example.org\n"
        "Rank = 5\n"
        "TotalMiles=12.5km\n"
        "Rank=7\n"
        "Rank=8\n"
        "[Preferences]\r\n"
        "countkeys=0\r\n"
        "  ;CountKeys=0  \r\n"
        "Unknown=42\r\n"
        "this line means nothing\r\n"
        "[Proxy]\n"
        "ProxyPass=a[b]=c\n"
        "#[Geek Window Skin]\n"
        "GeekTrans=abc\n"
        "# trailing comment";

    AppRecord onePassLoaded;
    AppRecord keyByKeyLoaded;
    onePassLoaded.Prefs.PortableMode = keyByKeyLoaded.Prefs.PortableMode = true;
    WriteIni(handEdited);
    FileTypedStore unused(storeFile_);
    SettingsStore(onePassLoaded, ini_, unused).TransferSettings("load");
    SettingsStore(keyByKeyLoaded, ini_, unused).TransferSettingsKeyByKey("load");
    EXPECT_EQ(SettingTexts(onePassLoaded), SettingTexts(keyByKeyLoaded));
    EXPECT_EQ(keyByKeyLoaded.Account.Rank, 7);
    EXPECT_EQ(keyByKeyLoaded.Account.TotalMiles, 12.5);

    AppRecord record = DistinctRecord(true);
    // Texts the reader would trim or split into other lines.
    record.Account.Email = " spaced@example.org ";
    record.Prefs.ProxyPass = "line one\n[Program Data]\nNewAccount=5";
    record.Prefs.SkinName = "";

    WriteIni(handEdited);
    ASSERT_TRUE(SettingsStore(record, ini_, unused).TransferSettingsKeyByKey("save"));
    const std::string keyByKey = IniBytes();

    WriteIni(handEdited);
    ASSERT_TRUE(SettingsStore(record, ini_, unused).TransferSettings("save"));
    EXPECT_EQ(IniBytes(), keyByKey);
}

TEST_F(SettingsStoreTest, ASaveToTheTypedStoreCreatesTheSectionKeysAndFlushesOnce) {
    FileTypedStore store(storeFile_);
    CountingStore counting(store);
    AppRecord record = DistinctRecord(false);
    ASSERT_TRUE(SettingsStore(record, ini_, counting).TransferSettings("save"));
    EXPECT_EQ(counting.flushes, 1);

    FileTypedStore reopened(storeFile_);
    for (const char* section :
         {"User", "Preferences", "Geek Window Skin", "Proxy", "Program Data"}) {
        EXPECT_TRUE(reopened.KeyExists(SettingsStore::KeyPath(section))) << section;
    }
    std::int32_t distance = 0;
    ASSERT_TRUE(reopened.ReadInt("Software\\Kestrovin\\Preferences", "Distance", distance));
    EXPECT_EQ(distance, record.Prefs.Distance);
}

TEST_F(SettingsStoreTest, ASaveThatCannotBeWrittenSaysSo) {
    AppRecord record = DistinctRecord(true);
    FileTypedStore store(folder_ / "missing" / "registry.conf");
    SettingsStore portable(record, folder_ / "missing" / "settings.ini", store);
    EXPECT_FALSE(portable.TransferSettings("save"));
    EXPECT_FALSE(portable.TransferSettingsKeyByKey("save"));

    // A file in the way of the typed store's folder.
    std::ofstream(folder_ / "blocked") << "x";
    FileTypedStore blocked(folder_ / "blocked" / "Kestrovin" / "registry.conf");
    record.Prefs.PortableMode = false;
    EXPECT_FALSE(SettingsStore(record, ini_, blocked).TransferSettings("save"));
}

}  // namespace
