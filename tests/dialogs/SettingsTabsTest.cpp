#include "dialogs/SettingsTabs.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <string>

#include "dialogs/HyperLink.h"
#include "support/RecordingUser.h"

namespace {

SettingsPages SomePages() {
    Preferences prefs;
    prefs.ProxyHost = "proxy.example";
    prefs.ProxyPort = 3128;
    prefs.SkeldEvery = 500;
    return SettingsPages::From(prefs);
}

TEST(SettingsTabsTest, ShowsThePagesInTheirOrderWithSaveAsDefault) {
    RecordingUser user;
    CSettingsTabs dialog(SomePages(), user);
    EXPECT_EQ(dialog.windowTitle(), "Kestrovin Preferences");
    ASSERT_EQ(dialog.Tabs()->count(), 4);
    const char* titles[] = {"Program Settings", "Program Settings #2", "Proxy Settings", "About"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(dialog.Tabs()->tabText(i), titles[i]);
    }
    EXPECT_TRUE(dialog.findChild<QPushButton*>("save")->isDefault());
    EXPECT_EQ(dialog.Field("SkeldEvery")->text(), "500");
    EXPECT_EQ(dialog.Box("PortableMode")->text(), "Use Kestrovin on  Portable Device");
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
    RecordingUser user;
    CSettingsTabs dialog(SomePages(), user);
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
    RecordingUser user;
    CSettingsTabs dialog(SomePages(), user);
    dialog.show();
    dialog.Field("SkeldEvery")->setFocus();
    QTest::keyClick(dialog.Field("SkeldEvery"), Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
}

TEST(SettingsTabsTest, ProxyFieldsFollowTheBoxesAndThePortIsChecked) {
    RecordingUser user;
    CSettingsTabs dialog(SomePages(), user);
    dialog.show();
    const auto readOnly = [&](const char* name) { return dialog.Field(name)->isReadOnly(); };
    EXPECT_TRUE(readOnly("ProxyHost") && readOnly("ProxyPort") && readOnly("ProxyUser") &&
                readOnly("ProxyPass"));
    dialog.Tabs()->setCurrentIndex(2);
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

TEST(SettingsTabsTest, ASecondOpenDoesNothing) {
    RecordingUser user;
    bool open = false;
    SettingsPages pages = SomePages();
    bool inner = true;
    QTimer::singleShot(0, [&] {
        inner = CSettingsTabs::RunOnce(open, pages, user, {});
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr) {
            dialog->reject();
        }
    });
    EXPECT_FALSE(CSettingsTabs::RunOnce(open, pages, user, {}));
    EXPECT_FALSE(inner);
    EXPECT_FALSE(open);
}

TEST(SettingsTabsTest, AboutPageLinksAndVersion) {
    RecordingUser user;
    CSettingsTabs dialog(SomePages(), user);
    int clicks = 0;
    dialog.VersionClicked = [&] { ++clicks; };
    dialog.show();
    dialog.Tabs()->setCurrentIndex(3);
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

}  // namespace
