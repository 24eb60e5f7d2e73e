#include "DecodedForm.h"

std::optional<std::string> DecodedForm::Find(std::string_view name) const {
    for (const auto& [fieldName, value] : fields_) {
        if (fieldName == name) {
            return value;
        }
    }
    return std::nullopt;
}
