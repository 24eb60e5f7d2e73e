#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

// The picture behind a keyboard image: the key counts the client sends as XML
//     <KeyFrequencies><Letters><A>5</A><LeftShift>12</LeftShift>...</Letters></KeyFrequencies>
// drawn as a keyboard whose keys are coloured by how often they were pressed.
class KeyboardHeatMap {
public:
    using Counts = std::map<std::string, std::int64_t>;

    // Reads every <Name>number</Name> element, leniently: anything else is skipped, a name
    // that comes twice has its counts added, negative counts are dropped.
    static Counts ParseCounts(std::string_view xml);

    // A complete SVG document. Keys missing from the keyboard drawing (F13, Unknown, ...)
    // are listed below it.
    static std::string Svg(const Counts& counts);
};
