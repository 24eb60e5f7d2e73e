#include "desktop/dialogs/SettingsTabs.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <string>

#include "desktop/dialogs/HyperLink.h"
#include "desktop/geek/SettingsSkinTab.h"
#include "support/RecordingUser.h"

namespace {

Preferences SomePrefs() {
    Preferences prefs;
    prefs.ProxyHost = "proxy.example";
    prefs.ProxyPort = 3128;
    prefs.SkeldEvery = 500;
    return prefs;
}

// A dialog on its own live preferences, as the program opens it.
struct OpenDialog {
    Preferences prefs = SomePrefs();
    RecordingUser user;
    CSettingsTabs dialog{SettingsPages::From(prefs), prefs, user};
};

TEST(SettingsTabsTest, ShowsThePagesInTheirOrderWithSaveAsDefault) {
    OpenDialog open;
    CSettingsTabs& dialog = open.dialog;
    EXPECT_EQ(dialog.windowTitle(), "Kestrovin Preferences");
    ASSERT_EQ(dialog.Tabs()->count(), 5);
    const char* titles[] = {"Program Settings", "Program Settings #2", "Proxy Settings",
                            "Geek Window Skin", "About"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(dialog.Tabs()->tabText(i), titles[i]);
    }
    EXPECT_TRUE(dialog.findChild<QPushButton*>("save")->isDefault());
    EXPECT_EQ(dialog.Field("SkeldEvery")->text(), "500");
    EXPECT_TRUE(dialog.Radio("DistanceType1")->isChecked());  // kilometres by default

    // Screenshots of every page, looked at by hand (also run with QT_FONT_DPI=144).
    const std::filesystem::path folder = KESTROVIN_DIALOG_SCREENSHOTS;
    std::filesystem::create_directories(folder);
    const std::string dpi = qEnvironmentVariable("QT_FONT_DPI", "default").toStdString();
    dialog.show();
    for (int i = 0; i < dialog.Tabs()->count(); ++i) {
        dialog.Tabs()->setCurrentIndex(i);
        dialog.adjustSize();
        const std::string name = "preferences-" + std::to_string(i) + "-dpi-" + dpi + ".png";
        EXPECT_TRUE(dialog.grab().save(QString::fromStdString((folder / name).string())));
    }
}

TEST(SettingsTabsTest, SaveCollectsEveryControl) {
    OpenDialog open;
    CSettingsTabs& dialog = open.dialog;
    dialog.show();
    dialog.Box("UseHotKey")->setChecked(true);
    dialog.Box("PortableMode")->setChecked(true);
    dialog.Radio("CheckForUpdates2")->setChecked(true);
    dialog.Radio("DistanceType0")->setChecked(true);
    dialog.Field("SkeldEveryHours")->setText("2");
    QTest::keyClick(&dialog, Qt::Key_Return);  // Save is the default button
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Pages.UseHotKey, 1);
    EXPECT_EQ(dialog.Pages.PortableMode, 1);
    EXPECT_EQ(dialog.Pages.CheckForUpdates, 2);
    EXPECT_EQ(dialog.Pages.DistanceType, 0);
    EXPECT_EQ(dialog.Pages.SkeldEveryHours, "2");
    EXPECT_EQ(dialog.Pages.ProxyHost, "proxy.example");
}

TEST(SettingsTabsTest, EscapeInsideAPageDoesNotClose) {
    OpenDialog open;
    CSettingsTabs& dialog = open.dialog;
    dialog.show();
    dialog.Field("SkeldEvery")->setFocus();
    QTest::keyClick(dialog.Field("SkeldEvery"), Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
}

TEST(SettingsTabsTest, ProxyFieldsFollowTheBoxesAndThePortIsChecked) {
    OpenDialog open;
    CSettingsTabs& dialog = open.dialog;
    RecordingUser& user = open.user;
    dialog.show();
    dialog.Tabs()->setCurrentIndex(2);
    // Read-only, and drawn so: the colour inside the field, right of any text, is the window's.
    const QColor window = dialog.palette().color(QPalette::Window);
    const QColor base = dialog.palette().color(QPalette::Base);
    ASSERT_NE(window, base);
    const auto readOnly = [&](const char* name) {
        QLineEdit* field = dialog.Field(name);
        const QImage drawn = field->grab().toImage();
        const QColor inside = drawn.pixelColor(drawn.width() - 6, drawn.height() / 2);
        EXPECT_EQ(inside, field->isReadOnly() ? window : base) << name;
        return field->isReadOnly();
    };
    EXPECT_TRUE(readOnly("ProxyHost") && readOnly("ProxyPort") && readOnly("ProxyUser") &&
                readOnly("ProxyPass"));
    dialog.Box("ProxyUse")->click();
    EXPECT_FALSE(readOnly("ProxyHost"));
    EXPECT_FALSE(readOnly("ProxyPort"));
    EXPECT_TRUE(readOnly("ProxyUser"));
    dialog.Box("ProxyAuth")->click();
    EXPECT_FALSE(readOnly("ProxyUser"));
    EXPECT_FALSE(readOnly("ProxyPass"));

    dialog.Field("ProxyPort")->clear();
    QTest::keyClicks(dialog.Field("ProxyPort"), "80x");
    EXPECT_EQ(user.messages.back(), CSettingsTabs::PortMessage);
    EXPECT_EQ(dialog.Pages.ProxyPort, 80u);  // the last good value stays
}

TEST(SettingsTabsTest, AProxyThatCannotBeUsedKeepsTheDialogOpenOnItsPage) {
    const struct {
        const char* Host;
        const char* Port;
        const char* Message;
        const char* Field;  // where the cursor is put
    } refused[] = {
        {"proxy.example", "0", ProxyPageCheck::PortRangeMessage, "ProxyPort"},
        {"proxy.example", "65536", ProxyPageCheck::PortRangeMessage, "ProxyPort"},
        {"proxy.example", "80x", ProxyPageCheck::PortMessage, "ProxyPort"},
        {"", "3128", ProxyPageCheck::HostMessage, "ProxyHost"},
    };
    for (const auto& c : refused) {
        OpenDialog open;
        CSettingsTabs& dialog = open.dialog;
        dialog.show();
        dialog.Tabs()->setCurrentIndex(2);
        dialog.Box("ProxyUse")->click();
        dialog.Field("ProxyHost")->setText(c.Host);
        dialog.Field("ProxyPort")->setText(c.Port);
        dialog.Tabs()->setCurrentIndex(0);  // saved from another page
        QString focused;
        open.user.whileShowing = [&](const std::string&) {
            focused = dialog.focusWidget() ? dialog.focusWidget()->objectName() : "";
        };
        QTest::keyClick(&dialog, Qt::Key_Return);  // Save
        EXPECT_TRUE(dialog.isVisible()) << c.Port;
        EXPECT_NE(dialog.result(), QDialog::Accepted);
        EXPECT_EQ(dialog.Tabs()->currentIndex(), 2) << c.Port;
        ASSERT_EQ(open.user.messages.size(), 1u) << c.Port;
        EXPECT_EQ(open.user.messages[0], c.Message);
        EXPECT_EQ(focused, c.Field);
        EXPECT_EQ(dialog.Pages.ProxyUse, 0) << "nothing collected";
        EXPECT_EQ(dialog.Pages.ProxyPort, 3128u);
        EXPECT_EQ(dialog.Pages.ProxyHost, "proxy.example");

        // Mended, it saves.
        dialog.Field("ProxyHost")->setText("proxy.example");
        dialog.Field("ProxyPort")->setText("8080");
        QTest::keyClick(&dialog, Qt::Key_Return);
        EXPECT_EQ(dialog.result(), QDialog::Accepted) << c.Port;
        EXPECT_EQ(dialog.Pages.ProxyUse, 1);
        EXPECT_EQ(dialog.Pages.ProxyPort, 8080u);
        EXPECT_EQ(open.user.messages.size(), 1u);
    }
}

// The dialog says what each option does here, in words of this platform, whatever the
// settings keys behind them are called.
TEST(SettingsTabsTest, TheWordsAreLinuxOnes) {
    OpenDialog open;
    CSettingsTabs& dialog = open.dialog;
    EXPECT_EQ(dialog.Box("LoadAtWinStartup")->text().toStdString(),
              "Start Kestrovin when I log in");
    EXPECT_EQ(dialog.Box("PortableMode")->text().toStdString(),
              "Use Kestrovin on a Portable Device");
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        texts << label->text();
    }
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        texts << button->text();
    }
    for (int i = 0; i < dialog.Tabs()->count(); ++i) {
        texts << dialog.Tabs()->tabText(i);
    }
    EXPECT_TRUE(texts.contains("The desktop client for the Kestrovin project."));
    for (const QString& text : texts) {
        EXPECT_FALSE(text.contains("Windows")) << text.toStdString();
        EXPECT_FALSE(text.contains("  ")) << text.toStdString();
    }
}

TEST(SettingsTabsTest, AboutPageLinksAndVersion) {
    OpenDialog open;
    CSettingsTabs& dialog = open.dialog;
    RecordingUser& user = open.user;
    int clicks = 0;
    dialog.VersionClicked = [&] { ++clicks; };
    dialog.show();
    dialog.Tabs()->setCurrentIndex(4);
    auto* version = dialog.findChild<QLabel*>("version");
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), "1.7.1");
    QTest::mouseClick(version, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);

    auto* link = dialog.findChild<CHyperLink*>("Downloads");
    ASSERT_NE(link, nullptr);
    EXPECT_TRUE(link->toolTip().endsWith("/downloads/"));
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(link->Colour(), QColor(0, 0, 238));
    link->SetOpener([](const std::string&) { return false; });
    link->Open();
    EXPECT_EQ(user.messages.back(), CHyperLink::FailureMessage);
    EXPECT_FALSE(link->Visited());
    link->SetOpener([](const std::string&) { return true; });
    link->Open();
    EXPECT_EQ(link->Colour(), QColor(85, 26, 139));
}

TEST(SettingsTabsTest, SkinPageIsTabThreeAndItsFieldsAreReadOnSave) {
    OpenDialog open;
    CSettingsTabs& dialog = open.dialog;
    CSettingsSkinTab* skin = dialog.SkinTab();
    ASSERT_EQ(dialog.Tabs()->widget(3), skin);
    // The stored skin was blank: the page's check brought the default one into the live
    // preferences at once.
    EXPECT_EQ(open.prefs.GeekBGg, 153);
    EXPECT_EQ(open.prefs.keycount_Y, 2);
    dialog.show();
    dialog.Tabs()->setCurrentIndex(3);

    // An empty field is reported and the dialog stays open, the pages untouched.
    skin->Field(10)->clear();
    dialog.Tabs()->setCurrentIndex(0);
    dialog.findChild<QPushButton*>("save")->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.Tabs()->currentWidget(), skin) << "the field to mend is shown";
    EXPECT_EQ(open.user.messages.size(), 1u);
    EXPECT_EQ(dialog.Pages.Skin, SettingsPages::From(SomePrefs()).Skin);

    skin->Field(10)->setText("321");
    skin->Field(0)->setText("17");
    skin->TransparencySlider()->setValue(90);
    dialog.findChild<QPushButton*>("save")->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Pages.Skin.Width, 321);
    EXPECT_EQ(dialog.Pages.Skin.BGr, 17);
    EXPECT_EQ(dialog.Pages.Skin.BGg, 153);
    EXPECT_EQ(dialog.Pages.Skin.Trans, 90);
    EXPECT_EQ(open.prefs.GeekWidth, 200);  // the preferences change only when applied
}

}  // namespace
