#include "WebReply.h"

#include "HtmlPage.h"

WebReply WebReply::Page(int status, std::string_view title, std::string_view body) {
    return {status, "text/html; charset=utf-8", HtmlPage::Document(title, body)};
}

WebReply WebReply::Failure() {
    return Page(500, "Server error",
                "<p>The server could not answer this request; please try again later.</p>");
}
