#pragma once

#include <QLabel>
#include <functional>
#include <string>

class UserPort;

// A text that carries a web address, drawn as a link (blue, red under the pointer, purple once
// opened) with the hand cursor, and opened with the desktop's URL handler when clicked.
class CHyperLink final : public QLabel {
    Q_OBJECT

public:
    using Opener = std::function<bool(const std::string& url)>;

    static constexpr const char* FailureMessage =
        "Unable to open hyperlink:\n\n"
        "There is no application associated\nwith the given filename extension.";

    CHyperLink(const QString& text, std::string url, UserPort& user, QWidget* parent = nullptr);

    // Replaces the desktop's URL handler (tests).
    void SetOpener(Opener opener) { opener_ = std::move(opener); }
    bool Visited() const { return visited_; }
    QColor Colour() const;
    void Open();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void Recolour();

    std::string url_;
    UserPort& user_;
    Opener opener_;
    bool hover_ = false;
    bool visited_ = false;
};
