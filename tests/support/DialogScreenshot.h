#pragma once

#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdlib>
#include <filesystem>
#include <string>

// Saves a picture of a window as NAME.png in dialog-screenshots/ of the build folder, for a
// person to look at. Under a large desktop font (QT_FONT_DPI set) it is NAME-dpiN.png, so the
// two sets lie side by side. False when nothing could be saved.
inline bool SaveDialogScreenshot(QWidget& window, const std::string& name) {
    const std::filesystem::path folder = KESTROVIN_DIALOG_SCREENSHOTS;
    std::filesystem::create_directories(folder);
    std::string file = name;
    if (const char* dpi = std::getenv("QT_FONT_DPI"); dpi != nullptr && *dpi != '\0') {
        file += std::string("-dpi") + dpi;
    }
    const QImage picture = window.grab().toImage();
    return !picture.isNull() &&
           picture.save(QString::fromStdString((folder / (file + ".png")).string()));
}
