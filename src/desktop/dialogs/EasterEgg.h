#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The credits: who made Kestrovin possible, the libraries it is built on with their licences,
// and the project's home page. Reached from the version number on the About page.
class CEasterEgg final : public QDialog {
    Q_OBJECT

public:
    explicit CEasterEgg(QWidget* parent = nullptr);

    static constexpr const char* Caption = "Kestrovin Credits";
    static constexpr const char* PicturePath = ":/pictures/credits.png";
    static constexpr const char* OpenFailedMessage =
        "Unable to open hyperlink:\n\nThere is no application associated\nwith the given "
        "filename extension.";

    // The libraries, in the order shown: name, licence, what Kestrovin uses it for.
    struct Library {
        const char* Name;
        const char* Licence;
        const char* UsedFor;
    };
    static constexpr Library Libraries[] = {
        {"Qt 6", "LGPLv3", "windows, dialogs and the tray icon"},
        {"libcurl", "curl licence", "talking to the statistics server"},
        {"OpenSSL 3", "Apache 2.0", "encrypting the state file"},
        {"SQLite", "public domain", "the reference server's accounts"},
        {"cpp-httplib", "MIT", "the reference server's HTTP"},
        {"GoogleTest", "BSD-3-Clause", "the tests"},
    };

    QLabel* Picture() const { return picture_; }
    QLabel* HomePageLink() const { return homePage_; }
    QPushButton* CloseButton() const { return close_; }
    // The home page's address, from the deployment values.
    static QString HomePageUrl();

private:
    void OpenHomePage();

    QLabel* picture_;
    QLabel* homePage_;
    QPushButton* close_;
};
