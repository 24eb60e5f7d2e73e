#include "KeyboardHeatMap.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <set>
#include <vector>

#include "HtmlPage.h"
#include "NumberText.h"

namespace {

struct KeyCap {
    const char* element;  // the element name the client uses for the key
    const char* label;
    double x, y, width, height;  // in key units
};

constexpr double kUnit = 44;    // pixels per key unit
constexpr double kMargin = 16;  // around the keyboard
constexpr double kHeader = 40;  // room for the title
constexpr double kColumns = 22.5;
constexpr double kRows = 6.5;

// A US keyboard with its navigation block and keypad; positions and sizes in key units.
const KeyCap kLayout[] = {
    // Main block, row by row.
    {"Escape", "Esc", 0, 0, 1, 1},
    {"F1", "F1", 2, 0, 1, 1},
    {"F2", "F2", 3, 0, 1, 1},
    {"F3", "F3", 4, 0, 1, 1},
    {"F4", "F4", 5, 0, 1, 1},
    {"F5", "F5", 6.5, 0, 1, 1},
    {"F6", "F6", 7.5, 0, 1, 1},
    {"F7", "F7", 8.5, 0, 1, 1},
    {"F8", "F8", 9.5, 0, 1, 1},
    {"F9", "F9", 11, 0, 1, 1},
    {"F10", "F10", 12, 0, 1, 1},
    {"F11", "F11", 13, 0, 1, 1},
    {"F12", "F12", 14, 0, 1, 1},
    {"PrintScreen", "PrtSc", 15.25, 0, 1, 1},
    {"ScrollLock", "ScrLk", 16.25, 0, 1, 1},
    {"Pause", "Pause", 17.25, 0, 1, 1},
    {"Tilde", "`", 0, 1.5, 1, 1},
    {"Num1", "1", 1, 1.5, 1, 1},
    {"Num2", "2", 2, 1.5, 1, 1},
    {"Num3", "3", 3, 1.5, 1, 1},
    {"Num4", "4", 4, 1.5, 1, 1},
    {"Num5", "5", 5, 1.5, 1, 1},
    {"Num6", "6", 6, 1.5, 1, 1},
    {"Num7", "7", 7, 1.5, 1, 1},
    {"Num8", "8", 8, 1.5, 1, 1},
    {"Num9", "9", 9, 1.5, 1, 1},
    {"Num0", "0", 10, 1.5, 1, 1},
    {"Minus", "-", 11, 1.5, 1, 1},
    {"Plus", "=", 12, 1.5, 1, 1},
    {"Backspace", "Backspace", 13, 1.5, 2, 1},
    {"Tab", "Tab", 0, 2.5, 1.5, 1},
    {"Q", "Q", 1.5, 2.5, 1, 1},
    {"W", "W", 2.5, 2.5, 1, 1},
    {"E", "E", 3.5, 2.5, 1, 1},
    {"R", "R", 4.5, 2.5, 1, 1},
    {"T", "T", 5.5, 2.5, 1, 1},
    {"Y", "Y", 6.5, 2.5, 1, 1},
    {"U", "U", 7.5, 2.5, 1, 1},
    {"I", "I", 8.5, 2.5, 1, 1},
    {"O", "O", 9.5, 2.5, 1, 1},
    {"P", "P", 10.5, 2.5, 1, 1},
    {"SqrBktOpen", "[", 11.5, 2.5, 1, 1},
    {"SqrBktClosed", "]", 12.5, 2.5, 1, 1},
    {"Backslash", "\\", 13.5, 2.5, 1.5, 1},
    {"CapsLock", "Caps", 0, 3.5, 1.75, 1},
    {"A", "A", 1.75, 3.5, 1, 1},
    {"S", "S", 2.75, 3.5, 1, 1},
    {"D", "D", 3.75, 3.5, 1, 1},
    {"F", "F", 4.75, 3.5, 1, 1},
    {"G", "G", 5.75, 3.5, 1, 1},
    {"H", "H", 6.75, 3.5, 1, 1},
    {"J", "J", 7.75, 3.5, 1, 1},
    {"K", "K", 8.75, 3.5, 1, 1},
    {"L", "L", 9.75, 3.5, 1, 1},
    {"SemiColon", ";", 10.75, 3.5, 1, 1},
    {"Apostrophe", "'", 11.75, 3.5, 1, 1},
    {"Enter", "Enter", 12.75, 3.5, 2.25, 1},
    {"LeftShift", "Shift", 0, 4.5, 2.25, 1},
    {"Z", "Z", 2.25, 4.5, 1, 1},
    {"X", "X", 3.25, 4.5, 1, 1},
    {"C", "C", 4.25, 4.5, 1, 1},
    {"V", "V", 5.25, 4.5, 1, 1},
    {"B", "B", 6.25, 4.5, 1, 1},
    {"N", "N", 7.25, 4.5, 1, 1},
    {"M", "M", 8.25, 4.5, 1, 1},
    {"Comma", ",", 9.25, 4.5, 1, 1},
    {"FullStop", ".", 10.25, 4.5, 1, 1},
    {"ForwardSlash", "/", 11.25, 4.5, 1, 1},
    {"RightShift", "Shift", 12.25, 4.5, 2.75, 1},
    {"LeftCtrl", "Ctrl", 0, 5.5, 1.25, 1},
    {"LeftWindowsKey", "Win", 1.25, 5.5, 1.25, 1},
    {"LeftAlt", "Alt", 2.5, 5.5, 1.25, 1},
    {"Space", "Space", 3.75, 5.5, 6.25, 1},
    {"RightAlt", "Alt", 10, 5.5, 1.25, 1},
    {"RightWindowsKey", "Win", 11.25, 5.5, 1.25, 1},
    {"Menu", "Menu", 12.5, 5.5, 1.25, 1},
    {"RightCtrl", "Ctrl", 13.75, 5.5, 1.25, 1},
    // Navigation block.
    {"Insert", "Ins", 15.25, 1.5, 1, 1},
    {"Home", "Home", 16.25, 1.5, 1, 1},
    {"PageUp", "PgUp", 17.25, 1.5, 1, 1},
    {"Delete", "Del", 15.25, 2.5, 1, 1},
    {"End", "End", 16.25, 2.5, 1, 1},
    {"PageDown", "PgDn", 17.25, 2.5, 1, 1},
    {"Up", "\u2191", 16.25, 4.5, 1, 1},
    {"Left", "\u2190", 15.25, 5.5, 1, 1},
    {"Down", "\u2193", 16.25, 5.5, 1, 1},
    {"Right", "\u2192", 17.25, 5.5, 1, 1},
    // Keypad.
    {"Numlock", "Num", 18.5, 1.5, 1, 1},
    {"KeypadSlash", "/", 19.5, 1.5, 1, 1},
    {"KeypadStar", "*", 20.5, 1.5, 1, 1},
    {"KeypadMinus", "-", 21.5, 1.5, 1, 1},
    {"Keypad7", "7", 18.5, 2.5, 1, 1},
    {"Keypad8", "8", 19.5, 2.5, 1, 1},
    {"Keypad9", "9", 20.5, 2.5, 1, 1},
    {"KeypadPlus", "+", 21.5, 2.5, 1, 2},
    {"Keypad4", "4", 18.5, 3.5, 1, 1},
    {"Keypad5", "5", 19.5, 3.5, 1, 1},
    {"Keypad6", "6", 20.5, 3.5, 1, 1},
    {"Keypad1", "1", 18.5, 4.5, 1, 1},
    {"Keypad2", "2", 19.5, 4.5, 1, 1},
    {"Keypad3", "3", 20.5, 4.5, 1, 1},
    {"KeypadEnter", "Enter", 21.5, 4.5, 1, 2},
    {"Keypad0", "0", 18.5, 5.5, 2, 1},
    {"KeypadDecimal", ".", 20.5, 5.5, 1, 1},
};

std::string Number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// Pale yellow for rare keys through orange to deep red for the most used; grey for unused.
std::string HeatColour(std::int64_t count, std::int64_t most) {
    if (count <= 0 || most <= 0) {
        return "#e4e6ea";
    }
    struct Stop {
        double r, g, b;
    };
    constexpr Stop kStops[] = {{255, 244, 190}, {255, 170, 40}, {200, 30, 20}};
    // The square root keeps the few busiest keys from washing out all the others.
    const double t = std::sqrt(static_cast<double>(count) / static_cast<double>(most));
    const double position = t * 2;
    const int lower = std::min(static_cast<int>(position), 1);
    const double f = position - lower;
    auto mix = [&](double a, double b) { return static_cast<int>(std::lround(a + (b - a) * f)); };
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", mix(kStops[lower].r, kStops[lower + 1].r),
                  mix(kStops[lower].g, kStops[lower + 1].g),
                  mix(kStops[lower].b, kStops[lower + 1].b));
    return text;
}

bool IsNameCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c == ':';
}

}  // namespace

KeyboardHeatMap::Counts KeyboardHeatMap::ParseCounts(std::string_view xml) {
    Counts counts;
    std::size_t at = 0;
    while ((at = xml.find('<', at)) != std::string_view::npos) {
        ++at;
        std::size_t nameEnd = at;
        while (nameEnd < xml.size() && IsNameCharacter(xml[nameEnd])) {
            ++nameEnd;
        }
        if (nameEnd == at || nameEnd >= xml.size() || xml[nameEnd] != '>') {
            continue;
        }
        const std::string_view name = xml.substr(at, nameEnd - at);
        const std::size_t textStart = nameEnd + 1;
        const std::size_t textEnd = xml.find('<', textStart);
        if (textEnd == std::string_view::npos) {
            break;
        }
        const std::string closing = "</" + std::string(name) + ">";
        if (xml.compare(textEnd, closing.size(), closing) != 0) {
            continue;  // an element that holds other elements, such as <Letters>
        }
        std::string_view text = xml.substr(textStart, textEnd - textStart);
        while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
            text.remove_prefix(1);
        }
        while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
            text.remove_suffix(1);
        }
        // The client counts in 32 bits; the cap also keeps the sums far from overflowing.
        const auto value = NumberText::ParseInteger(text);
        if (value && *value > 0) {
            counts[std::string(name)] += std::min<std::int64_t>(*value, INT32_MAX);
        }
        at = textEnd + closing.size();
    }
    return counts;
}

std::string KeyboardHeatMap::Svg(const Counts& counts) {
    std::int64_t most = 0;
    std::int64_t total = 0;
    for (const auto& [name, count] : counts) {
        most = std::max(most, count);
        total += count;
    }
    std::set<std::string> drawn;
    for (const KeyCap& key : kLayout) {
        drawn.insert(key.element);
    }
    std::string others;
    for (const auto& [name, count] : counts) {
        if (drawn.count(name) == 0) {
            others += (others.empty() ? "" : ", ") + name + " " + NumberText::Grouped(count);
        }
    }

    const double width = kColumns * kUnit + 2 * kMargin;
    const double keyboardBottom = kHeader + kRows * kUnit + kMargin;
    const double height = keyboardBottom + (others.empty() ? 0 : 28) + kMargin;
    std::string svg =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
        Number(width) + "\" height=\"" + Number(height) + "\" viewBox=\"0 0 " + Number(width) +
        " " + Number(height) +
        "\" font-family=\"sans-serif\">\n<rect width=\"100%\" height=\"100%\" "
        "fill=\"#2f3540\"/>\n<text x=\"" +
        Number(kMargin) + "\" y=\"28\" fill=\"#ffffff\" font-size=\"18\">" +
        HtmlPage::Escape("Keystroke frequencies: " + NumberText::Grouped(total) + " keystrokes") +
        "</text>\n";
    for (const KeyCap& key : kLayout) {
        const auto found = counts.find(key.element);
        const std::int64_t count = found != counts.end() ? found->second : 0;
        const double x = kMargin + key.x * kUnit + 2;
        const double y = kHeader + key.y * kUnit + 2;
        const double w = key.width * kUnit - 4;
        const double h = key.height * kUnit - 4;
        svg += "<g><title>" + HtmlPage::Escape(key.element) + ": " + NumberText::Grouped(count) +
               "</title><rect x=\"" + Number(x) + "\" y=\"" + Number(y) + "\" width=\"" +
               Number(w) + "\" height=\"" + Number(h) + "\" rx=\"4\" fill=\"" +
               HeatColour(count, most) + "\" stroke=\"#1d2128\"/><text x=\"" + Number(x + 5) +
               "\" y=\"" + Number(y + 14) + "\" font-size=\"11\">" + HtmlPage::Escape(key.label) +
               "</text>";
        if (count > 0) {
            svg += "<text x=\"" + Number(x + w - 4) + "\" y=\"" + Number(y + h - 5) +
                   "\" font-size=\"9\" text-anchor=\"end\">" + NumberText::Grouped(count) +
                   "</text>";
        }
        svg += "</g>\n";
    }
    if (!others.empty()) {
        svg += "<text x=\"" + Number(kMargin) + "\" y=\"" + Number(keyboardBottom + 14) +
               "\" fill=\"#ffffff\" font-size=\"13\">" + HtmlPage::Escape("Other keys: " + others) +
               "</text>\n";
    }
    svg += "</svg>\n";
    return svg;
}
