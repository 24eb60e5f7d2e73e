#pragma once

#include <sstream>
#include <string>
#include <vector>

// The whitespace-separated words of a program's output, such as the window ids xdotool prints.
inline std::vector<std::string> Words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}
