#include "cli/ReportCommands.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "counting/AppRecord.h"
#include "counting/KeyFrequencyTable.h"
#include "files/FileIo.h"
#include "persistence/AppPersistence.h"
#include "persistence/FileTypedStore.h"
#include "reports/KeyFrequencyReport.h"
#include "support/EndsInChild.h"
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

    // The template command run from the test's folder.
    int Template() {
        const fs::path before = fs::current_path();
        fs::current_path(temp.Path());
        const int status = RunTemplateCommand(folder, out, err);
        fs::current_path(before);
        return status;
    }
    fs::path Output() const { return folder.GetDataFilePath("Kestrovin.xml", false); }

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

// An export goes to a regular file or a new path only: a FIFO would wait for a reader for ever,
// a device or a folder is no place for it. Each is refused at once and left as it was.
TEST_F(ReportCommandsTest, AnExportToAnythingButAFileIsRefusedAtOnce) {
    Save();
    const fs::path fifo = temp / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(temp / "folder");
    fs::create_symlink(fifo, temp / "link-to-fifo");
    for (const char* name : {"fifo", "folder", "link-to-fifo"}) {
        const std::string file = (temp / name).string();
        // In a child first: before the refusal, the FIFO kept the command waiting for ever.
        const auto status = EndsInChild(
            [&] {
                std::ostringstream ignored;
                return RunKeysCommand(folder, KeysOutput::Xml, file, ignored, ignored);
            },
            std::chrono::seconds(10));
        ASSERT_TRUE(status.has_value()) << name << ": the export never ended";
        EXPECT_EQ(*status, 1) << name;
        err.str("");
        EXPECT_EQ(RunKeysCommand(folder, KeysOutput::Html, file, out, err), 1) << name;
        EXPECT_NE(err.str().find("is not a regular file"), std::string::npos) << err.str();
    }
    EXPECT_EQ(fs::symlink_status(fifo).type(), fs::file_type::fifo);
    EXPECT_TRUE(fs::is_empty(temp / "folder"));
}

// An export that cannot be finished (here: larger than the process may write) leaves the
// previous export as it was, not emptied.
TEST_F(ReportCommandsTest, AFailedExportKeepsThePreviousFile) {
    Save();
    const fs::path html = temp / "keys.html";
    std::ofstream(html) << "the previous export";
    const auto status = EndsInChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{64, 64};
        ::setrlimit(RLIMIT_FSIZE, &small);
        std::ostringstream ignored;
        return RunKeysCommand(folder, KeysOutput::Html, html.string(), ignored, ignored);
    });
    ASSERT_TRUE(status.has_value());
    EXPECT_EQ(*status, 1);
    EXPECT_EQ(ReadWholeFile(html), "the previous export");
    for (const auto& entry : fs::directory_iterator(temp.Path())) {
        EXPECT_FALSE(entry.path().filename().string().starts_with("keys.html."))
            << "left behind: " << entry.path();
    }
}

// Users link the template output into a web folder: the link stays and what it points to is
// replaced, or made when it does not exist yet; its permission bits stay.
TEST_F(ReportCommandsTest, TheTemplateOutputIsWrittenThroughALink) {
    Save();
    std::ofstream(temp / "Kestrovin.tpl") << "[KV_USERNAME]\n";
    fs::create_directories(temp / "www");
    fs::create_directories(Output().parent_path());
    const fs::path page = temp / "www" / "stats.xml";
    fs::create_symlink(page, Output());
    EXPECT_EQ(Template(), 0) << err.str();  // a link that points nowhere yet
    EXPECT_TRUE(fs::is_symlink(Output()));
    EXPECT_EQ(ReadWholeFile(page), "alice\n");

    ASSERT_EQ(::chmod(page.c_str(), 0640), 0);
    record.Account.UserName = "bob";
    Save();
    EXPECT_EQ(Template(), 0) << err.str();
    EXPECT_TRUE(fs::is_symlink(Output()));
    EXPECT_EQ(ReadWholeFile(page), "bob\n");
    EXPECT_EQ(fs::status(page).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// A template over 1 MiB is not filled: the output stays as it was, and the command says why.
TEST_F(ReportCommandsTest, ATemplateOverTheLimitIsRefused) {
    Save();
    std::ofstream(temp / "Kestrovin.tpl") << "[KV_USERNAME]";
    ASSERT_EQ(Template(), 0) << err.str();
    fs::resize_file(temp / "Kestrovin.tpl", 1024 * 1024 + 1);
    EXPECT_EQ(Template(), 1);
    EXPECT_NE(err.str().find("Kestrovin.tpl is larger than 1 MiB"), std::string::npos) << err.str();
    EXPECT_TRUE(ReadWholeFile(Output()) == "alice") << "the output was replaced";

    fs::resize_file(temp / "Kestrovin.tpl", 1024 * 1024);  // at the limit: filled
    EXPECT_EQ(Template(), 0) << err.str();
    EXPECT_EQ(fs::file_size(Output()),
              1024 * 1024 - std::string("[KV_USERNAME]").size() + std::string("alice").size());
}

}  // namespace
