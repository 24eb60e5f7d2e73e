#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "DecodedForm.h"

// Turns a request body of encoded "name=value" fields joined by "&" into clear text. Every
// name and value must be a well-formed encoding (three characters per byte, the first two
// within the window their position allows, the third a letter or digit), names must not
// repeat, and the last field must be client_version; anything else is refused with a short
// reason, so a body that was never encoded is told apart from one that was.
class FormDecoder {
public:
    struct Result {
        std::optional<DecodedForm> form;
        std::string error;  // set when form is empty
    };

    static Result Decode(std::string_view body);

    // Whether `text` could have come out of the encoder.
    static bool IsWellFormedEncoding(std::string_view text);
};
