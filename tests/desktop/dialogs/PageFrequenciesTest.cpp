#include "desktop/dialogs/PageFrequencies.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "counting/KeyFrequencyTable.h"
#include "support/DialogScreenshot.h"
#include "support/FixedClock.h"
#include "support/RecordingUser.h"
#include "support/TempFolder.h"

namespace {

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class PageFrequenciesTest : public testing::Test {
protected:
    PageFrequenciesTest() {
        table.FillKeyNames();
        for (const auto& [code, count] : {std::pair{0x41, 5}, {0x31, 1234}, {0xA0, 12}}) {
            for (int i = 0; i < count; ++i) {
                table.Increment(code);
            }
        }
        values.AccountName = "pat";
        values.KeysSinceLastReset = 1251;
        values.LastReset = 5;  // too early to be a real reset: "Unknown"
        values.KeepRecord = true;
    }

    CPageFrequencies& Open() {
        dialog.emplace(
            table, values, user, clock, [this](const std::string& xml) { sent.push_back(xml); },
            [this](const std::string& initialName, const std::string& filter) {
                asked.push_back(initialName + "|" + filter);
                return chosen;
            });
        dialog->show();
        return *dialog;
    }

    std::vector<std::string> Rows() const {
        std::vector<std::string> rows;
        for (int i = 0; i < dialog->List()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = dialog->List()->topLevelItem(i);
            rows.push_back((item->text(0) + " " + item->text(1)).toStdString());
        }
        return rows;
    }

    KeyFrequencyTable table;
    KeyFrequencyReport::Figures values;
    RecordingUser user;
    FixedClock clock{1'700'000'000};
    std::vector<std::string> sent;
    std::vector<std::string> asked;
    std::optional<std::string> chosen;
    TempFolder folder;
    std::optional<CPageFrequencies> dialog;
};

TEST_F(PageFrequenciesTest, ListsTheTallyByCountWithTheResetFigures) {
    CPageFrequencies& page = Open();
    EXPECT_EQ(page.windowTitle(), "Key Frequencies");
    EXPECT_TRUE(page.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(page.List()->headerItem()->text(0), "Count");
    EXPECT_EQ(page.List()->headerItem()->text(1), "Key");
    EXPECT_EQ(Rows(), (std::vector<std::string>{"1,234 1", "12 Left shift", "5 A"}));
    EXPECT_EQ(page.SinceResetLabel()->text(), " Keystrokes since last reset: 1,251");
    EXPECT_EQ(page.ResetDateLabel()->text(), "Unknown");
    EXPECT_TRUE(page.KeepRecordBox()->isChecked());
    EXPECT_EQ(page.KeepRecordBox()->text(), "Keep record of keystroke frequencies");
    EXPECT_TRUE(SaveDialogScreenshot(page, "key-frequencies"));
}

TEST_F(PageFrequenciesTest, ResetAsksAndOnlyYesEmptiesTheChart) {
    CPageFrequencies& page = Open();
    page.ResetButton()->click();  // No
    EXPECT_EQ(
        user.questions,
        (std::vector<std::string>{"Do you really wish to reset all your frequency statistics?"}));
    EXPECT_EQ(Rows().size(), 3u);
    EXPECT_EQ(table.Size(), 3u);
    EXPECT_EQ(page.Values.LastReset, 5);

    // Yes destroys the tally: Enter answers No.
    EXPECT_EQ(user.questionEnters.back(), UserPort::EnterAnswers::No);

    std::vector<qint64> resets;
    QObject::connect(&page, &CPageFrequencies::ChartReset,
                     [&resets](qint64 lastReset) { resets.push_back(lastReset); });
    user.answers.push_back(true);
    page.ResetButton()->click();
    EXPECT_EQ(resets, std::vector<qint64>{1'700'000'000}) << "the opener hears of it at once";
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(table.Size(), 0u);
    EXPECT_EQ(page.Values.LastReset, 1'700'000'000);
    EXPECT_EQ(page.Values.KeysSinceLastReset, 0);
    EXPECT_EQ(page.SinceResetLabel()->text(), " Keystrokes since last reset: 0");
    EXPECT_EQ(page.ResetDateLabel()->text().toStdString(),
              KeyFrequencyReport::LocalTime(1'700'000'000));
}

TEST_F(PageFrequenciesTest, ExportsWriteTheReportsToTheChosenFile) {
    CPageFrequencies& page = Open();
    chosen = (folder / "tally").string();  // typed without an extension: used as typed
    page.ExportXmlButton()->click();
    EXPECT_EQ(ReadFile(folder / "tally"),
              KeyFrequencyReport::WithCrLf(KeyFrequencyReport::Xml(table, 3)));
    page.ExportHtmlButton()->click();
    EXPECT_EQ(ReadFile(folder / "tally"), KeyFrequencyReport::WithCrLf(KeyFrequencyReport::Html(
                                              values, KeyFrequencyReport::Rows(table))));
    EXPECT_EQ(asked, (std::vector<std::string>{"Key Frequencies.xml|XML Files (*.xml)",
                                               "Key Frequencies.html|HTML Files (*.html)"}));
    EXPECT_TRUE(user.messages.empty());

    chosen.reset();  // cancelled
    page.ExportXmlButton()->click();
    EXPECT_TRUE(user.messages.empty());
}

// The message names the file and says why, as the system or the refusal put it.
TEST_F(PageFrequenciesTest, AnExportThatCannotBeWrittenIsReported) {
    CPageFrequencies& page = Open();
    // A folder that is a plain file cannot hold the export, even for root; a folder is no
    // place for one and is refused.
    std::ofstream(folder / "not-a-folder") << "";
    std::filesystem::create_directory(folder / "a-folder");
    const struct {
        std::filesystem::path File;
        std::string Why;
    } cases[] = {
        {folder / "not-a-folder" / "Key Frequencies.xml", "Not a directory"},
        {folder / "a-folder", (folder / "a-folder").string() + " is not a regular file"},
    };
    for (const auto& c : cases) {
        user.messages.clear();
        chosen = c.File.string();
        page.ExportXmlButton()->click();
        ASSERT_EQ(user.messages.size(), 1u) << c.File;
        EXPECT_TRUE(user.messages[0].starts_with("Could not open file:\n\n " + *chosen + "\n\n"))
            << user.messages[0];
        EXPECT_NE(user.messages[0].find(c.Why), std::string::npos) << user.messages[0];
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder / "a-folder"));
    EXPECT_TRUE(page.isVisible());
}

TEST_F(PageFrequenciesTest, GenerateImageSendsTheXmlOfTheListedRows) {
    CPageFrequencies& page = Open();
    page.GenerateImageButton()->click();
    EXPECT_EQ(sent, (std::vector<std::string>{KeyFrequencyReport::Xml(table, 3)}));
}

TEST_F(PageFrequenciesTest, OnlyCloseTakesTheCheckBox) {
    CPageFrequencies& page = Open();
    page.KeepRecordBox()->setChecked(false);
    page.reject();  // the close box and Escape
    EXPECT_TRUE(page.Values.KeepRecord);

    CPageFrequencies& again = Open();
    again.KeepRecordBox()->setChecked(false);
    again.CloseButton()->click();
    EXPECT_FALSE(again.Values.KeepRecord);
}

}  // namespace
