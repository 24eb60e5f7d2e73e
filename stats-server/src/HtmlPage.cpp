#include "HtmlPage.h"

std::string HtmlPage::Escape(std::string_view text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                escaped += "&amp;";
                break;
            case '<':
                escaped += "&lt;";
                break;
            case '>':
                escaped += "&gt;";
                break;
            case '"':
                escaped += "&quot;";
                break;
            case '\'':
                escaped += "&#39;";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::string HtmlPage::Document(std::string_view title, std::string_view body) {
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
    page += Escape(title);
    page +=
        " - Kestrovin</title>\n<style>\n"
        "body { font-family: sans-serif; margin: 0; color: #222; background: #f6f7f9; }\n"
        "nav { background: #0099cc; padding: 0.6em 1.2em; }\n"
        "nav a { color: #fff; margin-right: 1.2em; text-decoration: none; }\n"
        "main { max-width: 52em; margin: 1.5em auto; padding: 0 1.2em; }\n"
        "table { border-collapse: collapse; }\n"
        "th, td { padding: 0.3em 0.8em; border-bottom: 1px solid #ddd; text-align: left; }\n"
        "td.number { text-align: right; font-variant-numeric: tabular-nums; }\n"
        "code { background: #e8eaee; padding: 0 0.25em; }\n"
        "form label { display: block; margin: 0.4em 0; }\n"
        "</style>\n</head>\n<body>\n<nav><a href=\"/\">Kestrovin</a>"
        "<a href=\"/downloads/\">Downloads</a><a href=\"/wiki/\">Help</a>"
        "<a href=\"/dynimg/\">Dynamic images</a><a href=\"/rgb/\">RGB map</a>"
        "<a href=\"/forum/\">Forum</a></nav>\n<main>\n<h1>";
    page += Escape(title);
    page += "</h1>\n";
    page += body;
    page += "\n</main>\n</body>\n</html>\n";
    return page;
}
