#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Texts cut to what a person can take in: the tray balloons' limits, and a bound for message
// boxes and status lines, so that a long text from the server (an HTML error page, a megabyte
// of "server message") neither fills the screen nor holds the program up while it is laid out.
// Characters are counted as UTF-8 sequences, and a cut never splits one.
class ShownText {
public:
    static constexpr std::size_t kBalloonTitleLimit = 63;
    static constexpr std::size_t kBalloonTextLimit = 255;
    static constexpr std::size_t kMessageLimit = 1000;
    static constexpr std::size_t kMessageLineLimit = 20;
    static constexpr std::string_view kCutMark = " [...]";

    static std::string BalloonTitle(std::string_view title) {
        return Left(title, kBalloonTitleLimit);
    }
    static std::string BalloonText(std::string_view text) { return Left(text, kBalloonTextLimit); }
    // At most kMessageLimit characters on at most kMessageLineLimit lines; a text that had to
    // be cut ends with kCutMark.
    static std::string Message(std::string_view text);
    // The first `limit` characters.
    static std::string Left(std::string_view text, std::size_t limit);
};
