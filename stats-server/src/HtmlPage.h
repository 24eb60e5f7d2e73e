#pragma once

#include <string>
#include <string_view>

// The frame every web page of the server shares: a plain, self-contained HTML document with
// a small style sheet and a navigation bar; no external assets.
class HtmlPage {
public:
    // Escapes the five characters HTML and XML give a meaning to.
    static std::string Escape(std::string_view text);

    // A whole document; `body` is HTML, `title` plain text.
    static std::string Document(std::string_view title, std::string_view body);
};
