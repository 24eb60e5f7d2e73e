#include "cli/ReportCommands.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "counting/AppRecord.h"
#include "counting/KeyFrequencyTable.h"
#include "files/FileIo.h"
#include "persistence/AppPersistence.h"
#include "persistence/FileTypedStore.h"
#include "reports/KeyFrequencyReport.h"
#include "support/RecordingUser.h"
#include "support/ScopedEnvironment.h"
#include "support/TempFolder.h"

namespace {

namespace fs = std::filesystem;

class ReportCommandsTest : public ::testing::Test {
protected:
    ReportCommandsTest() {
        fs::create_directories(programFolder);
        environment.Set("XDG_CONFIG_HOME", (temp / "config").string());
        environment.Set("TZ", "UTC");
        record.Account.UserName = "alice";
        record.Account.ComputerName = "desk";
        record.Account.TotalKeys = 1234567;
        record.Prefs.KeepFreq = 0;
        tally.FillKeyNames();
    }

    void Save() {
        RecordingUser user;
        AppPersistence(folder, FileTypedStore::DefaultPath(), user).SaveAll(record, tally);
    }

    TempFolder temp;
    ScopedEnvironment environment;
    fs::path programFolder = temp / "program";
    DataFolder folder{programFolder, temp / "data"};
    AppRecord record;
    KeyFrequencyTable tally;
    std::ostringstream out, err;
};

TEST_F(ReportCommandsTest, KeysListsTheTallyAndExportsTheDialogsBytes) {
    Save();
    EXPECT_EQ(RunKeysCommand(folder, KeysOutput::List, "", out, err), 0) << err.str();
    EXPECT_EQ(out.str(), "");  // an empty tally prints nothing
    for (int i = 0; i < 3; ++i)
        tally.Increment(0x41);
    for (int i = 0; i < 1000; ++i)
        tally.Increment(0x42);
    tally.Increment(0x43);
    tally.Increment(0x44);
    Save();
    out.str("");
    EXPECT_EQ(RunKeysCommand(folder, KeysOutput::List, "", out, err), 0) << err.str();
    EXPECT_EQ(out.str(), "1,000\tB\n3\tA\n1\tC\n1\tD\n");

    const fs::path html = temp / "keys.html";
    EXPECT_EQ(RunKeysCommand(folder, KeysOutput::Html, html.string(), out, err), 0) << err.str();
    const auto rows = KeyFrequencyReport::Rows(tally);
    EXPECT_EQ(ReadWholeFile(html), KeyFrequencyReport::WithCrLf(KeyFrequencyReport::Html(
                                       KeyFrequencyReport::Figures::From(record), rows)));
    EXPECT_NE(ReadWholeFile(html)->find("<b>disabled</b>"), std::string::npos);
    const fs::path xml = temp / "keys.xml";
    EXPECT_EQ(RunKeysCommand(folder, KeysOutput::Xml, xml.string(), out, err), 0) << err.str();
    EXPECT_NE(ReadWholeFile(xml)->find("\t\t<B>1000</B>\r\n"), std::string::npos);

    EXPECT_EQ(RunKeysCommand(folder, KeysOutput::Xml, (temp / "no" / "k.xml").string(), out, err),
              1);
    EXPECT_NE(err.str().find("could not write"), std::string::npos);
}

TEST_F(ReportCommandsTest, TemplateWritesOnceOrSaysWhy) {
    Save();
    const fs::path before = fs::current_path();
    fs::current_path(temp.Path());
    EXPECT_EQ(RunTemplateCommand(folder, out, err), 1);
    EXPECT_NE(err.str().find("no template Kestrovin.tpl"), std::string::npos);
    std::ofstream(temp / "Kestrovin.tpl") << "[KV_USERNAME] [KV_TOTALKEYS]\n";
    EXPECT_EQ(RunTemplateCommand(folder, out, err), 0) << err.str();
    fs::current_path(before);
    EXPECT_EQ(ReadWholeFile(folder.GetDataFilePath("Kestrovin.xml", false)), "alice 1234567\n");
}

}  // namespace
