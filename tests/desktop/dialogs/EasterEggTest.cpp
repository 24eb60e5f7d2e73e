// The credits dialog through its widgets on Qt's offscreen platform.
#include "desktop/dialogs/EasterEgg.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include "server/ServerAddress.h"
#include "support/ClippedControls.h"
#include "support/DialogScreenshot.h"
#include "support/ScopedEnvironment.h"

namespace {

QString AllTexts(const QWidget& dialog) {
    QString texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        texts += label->text() + '\n';
    }
    return texts;
}

TEST(EasterEggTest, NamesEveryLibraryWithItsLicenceAndLinksTheHomePage) {
    ScopedEnvironment environment;
    environment.Set("KESTROVIN_SERVER", "127.0.0.1:8123");
    CEasterEgg dialog;
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Kestrovin Credits");
    EXPECT_EQ(dialog.Picture()->pixmap().size(), QSize(120, 134)) << "the picture is missing";

    const QString texts = AllTexts(dialog);
    EXPECT_TRUE(texts.contains("Kestrovin 1.7.1"));
    for (const auto& [name, licence] : {std::pair{"Qt", "LGPLv3"},
                                        {"libcurl", "curl licence"},
                                        {"OpenSSL", "Apache 2.0"},
                                        {"SQLite", "public domain"},
                                        {"cpp-httplib", "MIT"},
                                        {"GoogleTest", "BSD-3-Clause"}}) {
        EXPECT_TRUE(texts.contains(name)) << name;
        EXPECT_TRUE(texts.contains(licence)) << licence;
    }
    const QString home = QString::fromStdString(ServerAddress::FromEnvironment().WebPageUrl("/"));
    EXPECT_TRUE(dialog.HomePageLink()->text().contains("href=\"" + home + "\""))
        << home.toStdString();

    EXPECT_EQ(ClippedControls(dialog), std::vector<std::string>{});
    EXPECT_TRUE(SaveDialogScreenshot(dialog, "credits"));
}

TEST(EasterEggTest, ItsOneButtonOrEscapeEndsIt) {
    for (const bool escape : {false, true}) {
        CEasterEgg dialog;
        dialog.show();
        ASSERT_EQ(dialog.findChildren<QPushButton*>().size(), 1);
        EXPECT_TRUE(dialog.CloseButton()->isDefault());
        if (escape) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
        } else {
            QTest::keyClick(&dialog, Qt::Key_Return);
        }
        EXPECT_FALSE(dialog.isVisible());
    }
}

}  // namespace
