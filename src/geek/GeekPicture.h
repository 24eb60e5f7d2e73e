#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct AccountState;
struct Preferences;

// What the Geek Window shows at one moment: the seven label-and-value rows and, when wanted,
// the next-skeld line, each with the client-area position of its top-left corner. Two
// pictures compare equal exactly when the window would look the same, so a refresh whose
// picture has not changed can be skipped.
struct GeekPicture {
    struct Row {
        std::string Label;
        std::string Value;
        int X = 0;
        int Y = 0;
        bool operator==(const Row&) const = default;
    };
    struct Line {
        std::string Text;
        int X = 0;
        int Y = 0;
        bool operator==(const Line&) const = default;
    };
    // One text drawn: a label in the label colour, or a value or the next-skeld line in the
    // value colour.
    struct PlacedText {
        std::string Text;
        int X = 0;
        int Y = 0;
        bool IsLabel = false;
        bool operator==(const PlacedText&) const = default;
    };

    std::vector<Row> Rows;  // kc, mc, tkc, tmc, rank, klp, moved, in drawing order
    std::optional<Line> NextSkeld;

    bool operator==(const GeekPicture&) const = default;

    // The picture for the current counters and the live positions. `showNextSkeld` is the
    // flag the window copied when it opened; `secondsTilSkeld` is asked only when the line is
    // drawn.
    static GeekPicture Of(const AccountState& account, const Preferences& prefs, bool showNextSkeld,
                          const std::function<std::int32_t()>& secondsTilSkeld);

    // Every text with its position: each value starts where its label ends, as `width`
    // measures the label in the window's font.
    std::vector<PlacedText> Place(const std::function<int(const std::string&)>& width) const;
};

// "n/a" for rank 0, otherwise the ordinal: 1st, 2nd, 3rd, 4th, 11th, 12th, 13th, 21st, 112th.
std::string GeekRankText(std::int32_t rank);

// "Next skeld in 2 hours." above 3600 seconds, "... minutes." above 60, else "... seconds.".
std::string NextSkeldText(std::int32_t seconds);
