// The widget tests' main: Qt's offscreen platform, so no display is needed and nothing shows.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // A large desktop font (QT_FONT_DPI) enlarges the text alone, as on a desktop whose user
    // chose a larger font; Qt would otherwise scale every pixel with it here, which would hide
    // text clipped by fixed geometry.
    if (const char* dpi = std::getenv("QT_FONT_DPI"); dpi != nullptr && *dpi != '\0') {
        setenv("QT_ENABLE_HIGHDPI_SCALING", "0", 1);
    }
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
