// The Geek Window, its skin page and the X&Y dialog through their widgets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <filesystem>
#include <memory>

#include "counting/AppRecord.h"
#include "desktop/dialogs/HyperLink.h"
#include "desktop/geek/GeekDlg.h"
#include "desktop/geek/GeekSettingsXY.h"
#include "desktop/geek/SettingsSkinTab.h"
#include "support/RecordingUser.h"

namespace {

void SaveScreenshot(QWidget& widget, const char* name) {
    const std::filesystem::path folder = KESTROVIN_DIALOG_SCREENSHOTS;
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(widget.grab().save(QString::fromStdString((folder / name).string())));
}

class GeekWidgetTest : public testing::Test {
protected:
    GeekWidgetTest() {
        GeekSkin::RestoreDefault(record.Prefs);
        record.Prefs.GeekTrans = 150;
        record.Prefs.SkeldEveryHours = 1;
    }
    AppRecord record;
    RecordingUser user;
};

TEST_F(GeekWidgetTest, WindowShowsTheCountersInTheSkinAndOpensOnce) {
    record.Account.AddUnsentKeys(1234567);
    record.Account.Rank = 12;
    bool open = false;
    CGeekDlg* window = CGeekDlg::OpenOnce(open, record, [] { return 61; });
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(open);
    EXPECT_EQ(CGeekDlg::OpenOnce(open, record, [] { return 61; }), nullptr);
    EXPECT_EQ(window->windowTitle(), "Kestrovin");
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(window->windowFlags() & Qt::Tool, Qt::Tool);
    EXPECT_EQ(window->size(), QSize(200, 98));  // the skin's size is the picture's
    EXPECT_EQ(window->Shown().Rows.at(0).Value, "1,234,567");
    EXPECT_EQ(window->Shown().Rows.at(4).Value, "12th");
    EXPECT_EQ(window->Shown().NextSkeld->Text, "Next skeld in 1 minutes.");

    const QImage picture = window->grab().toImage();
    EXPECT_EQ(picture.pixelColor(window->width() - 1, window->height() - 1), QColor(0, 153, 204));
    SaveScreenshot(*window, "geek-window-default.png");

    // Positions are live, colours are not.
    record.Prefs.rank_X = 120;
    record.Prefs.GeekBGr = 200;
    window->Refresh();
    EXPECT_EQ(window->Shown().Rows.at(4).X, 120);
    EXPECT_EQ(window->grab().toImage().pixelColor(window->width() - 1, window->height() - 1),
              QColor(0, 153, 204));

    // An unchanged picture is not painted again.
    QApplication::processEvents();
    const int paints = window->PaintCount();
    window->Refresh();
    QApplication::processEvents();
    EXPECT_EQ(window->PaintCount(), paints);

    window->move(33, 44);
    window->SamplePosition();
    EXPECT_EQ(record.Prefs.GeekLastX, 33);
    EXPECT_EQ(record.Prefs.GeekLastY, 44);
    window->close();
    QApplication::processEvents();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(open);
}

TEST_F(GeekWidgetTest, CustomSkinAndTransparency) {
    record.Prefs.GeekBGr = 30, record.Prefs.GeekBGg = 30, record.Prefs.GeekBGb = 30;
    record.Prefs.GeekVr = 0, record.Prefs.GeekVg = 255, record.Prefs.GeekVb = 0;
    record.Prefs.GeekFr = 255, record.Prefs.GeekFg = 160, record.Prefs.GeekFb = 0;
    record.Prefs.GeekWidth = 260;
    record.Prefs.GeekHeight = 80;
    record.Prefs.GeekTrans = 151;  // from an edited file: kept opaque, not invisible
    CGeekDlg window(record, [] { return 7200; });
    window.show();
    EXPECT_FALSE(window.Transparency().Layered);
    EXPECT_EQ(window.size(), QSize(260, 80));
    EXPECT_EQ(window.grab().toImage().pixelColor(window.width() - 1, window.height() - 1),
              QColor(30, 30, 30));
    SaveScreenshot(window, "geek-window-custom.png");

    record.Prefs.GeekTrans = 0;
    CGeekDlg translucent(record, [] { return 0; });
    EXPECT_TRUE(translucent.Transparency().Layered);
    EXPECT_EQ(translucent.Transparency().Alpha, 105);
}

TEST_F(GeekWidgetTest, SkinPageRestoresABlankSkinAndAsksBeforeDefaults) {
    Preferences blank;  // every position and colour 0
    CSettingsSkinTab page(blank, user, "http://web/rgb/");
    EXPECT_EQ(blank.keycount_X, 2);
    EXPECT_EQ(page.Field(2)->text(), "204");
    SaveScreenshot(page, "settings-skin-tab.png");

    Preferences mine = record.Prefs;
    mine.GeekBGr = 7;
    mine.GeekTrans = 40;
    mine.GeekViewNP = 0;
    CSettingsSkinTab custom(mine, user, "http://web/rgb/");
    EXPECT_EQ(custom.Field(0)->text(), "7");
    EXPECT_EQ(custom.TransparencySlider()->maximum(), 150);
    EXPECT_EQ(custom.TransparencySlider()->value(), 40);

    custom.Field(0)->setText("9");
    custom.DefaultButton()->click();  // No
    EXPECT_EQ(user.questions.back(), CSettingsSkinTab::DefaultQuestion);
    EXPECT_EQ(custom.Field(0)->text(), "9");
    EXPECT_EQ(mine.GeekBGr, 7);

    user.answers.push_back(true);
    custom.DefaultButton()->click();
    EXPECT_EQ(mine.GeekBGr, 0);
    EXPECT_EQ(custom.Field(0)->text(), "0");
    EXPECT_EQ(custom.Field(8)->text(), "192");
    EXPECT_EQ(custom.TransparencySlider()->value(), 40);
    EXPECT_FALSE(custom.ShowNextSkeldBox()->isChecked());

    custom.Field(9)->setText("");
    EXPECT_FALSE(custom.ReadFields());
    custom.Field(9)->setText("120");
    ASSERT_TRUE(custom.ReadFields());
    Preferences saved;
    custom.ApplyTo(saved);
    EXPECT_EQ(saved.GeekHeight, 120);
    EXPECT_EQ(saved.GeekTrans, 40);

    std::string opened;
    custom.RgbMapLink()->SetOpener([&](const std::string& url) {
        opened = url;
        return true;
    });
    custom.RgbMapLink()->Open();
    EXPECT_EQ(opened, "http://web/rgb/");
}

TEST_F(GeekWidgetTest, XYDialogSavesStraightIntoThePreferencesOrGoesBack) {
    CGeekSettingsXY back(record.Prefs, user);
    back.Field(0)->setText("50");
    back.GoBackButton()->click();
    EXPECT_EQ(record.Prefs.keycount_X, 2);

    CGeekSettingsXY dialog(record.Prefs, user);
    EXPECT_EQ(dialog.windowTitle(), "Geek Window X&Y Settings");
    EXPECT_EQ(dialog.Field(13)->text(), "28");
    dialog.show();
    SaveScreenshot(dialog, "geek-settings-xy.png");
    dialog.Field(0)->setText("50");
    dialog.Field(15)->setText("70");
    dialog.SaveButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(record.Prefs.keycount_X, 50);
    EXPECT_EQ(record.Prefs.timenextskeld_Y, 70);
}

// A hand-edited size or place opens on the screen, and the settings keep what they say until
// the user moves the window.
TEST_F(GeekWidgetTest, AnExtremeStoredPlaceOpensOnTheScreenAndStaysStored) {
    record.Prefs.GeekWidth = 2147483647;
    record.Prefs.GeekHeight = 2147483647;
    record.Prefs.GeekLastX = -2000000000;
    record.Prefs.GeekLastY = 2000000000;
    CGeekDlg window(record, [] { return 61; });
    window.show();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    // The picture is no larger than the screen and the window starts on it (a frame, where
    // there is one, comes around it).
    EXPECT_LE(window.width(), available.width());
    EXPECT_LE(window.height(), available.height());
    EXPECT_TRUE(available.contains(window.frameGeometry().topLeft()))
        << window.frameGeometry().x() << "," << window.frameGeometry().y();
    window.SamplePosition();
    EXPECT_EQ(record.Prefs.GeekWidth, 2147483647);
    EXPECT_EQ(record.Prefs.GeekLastX, -2000000000);
    EXPECT_EQ(record.Prefs.GeekLastY, 2000000000);

    window.move(window.pos() + QPoint(1, 1));  // the user moves it: that place is kept
    window.SamplePosition();
    EXPECT_EQ(record.Prefs.GeekLastX, window.pos().x());
}

}  // namespace
