#pragma once

#include <string>
#include <string_view>

// One page or image as the web server sends it.
struct WebReply {
    int status = 200;
    std::string contentType = "text/html; charset=utf-8";
    std::string body;

    // A page in the server's frame; `body` is HTML, `title` plain text.
    static WebReply Page(int status, std::string_view title, std::string_view body);
    static WebReply Page(std::string_view title, std::string_view body) {
        return Page(200, title, body);
    }
    // The page for a request the database could not answer.
    static WebReply Failure();
};
