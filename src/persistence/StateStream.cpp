#include "persistence/StateStream.h"

#include <bit>
#include <cstdint>
#include <optional>

namespace {

void AppendLittleEndian(std::string& out, std::uint64_t value, int byteCount) {
    for (int i = 0; i < byteCount; ++i) {
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
    }
}

void AppendTextField(std::string& out, std::string_view text) {
    const std::uint64_t length = text.size();
    if (length < 0xFF) {
        AppendLittleEndian(out, length, 1);
    } else if (length < 0xFFFE) {
        AppendLittleEndian(out, 0xFF, 1);
        AppendLittleEndian(out, length, 2);
    } else if (length < 0xFFFFFFFF) {
        AppendLittleEndian(out, 0xFFFFFF, 3);
        AppendLittleEndian(out, length, 4);
    } else {
        AppendLittleEndian(out, 0xFFFFFFFFFFFFFF, 7);
        AppendLittleEndian(out, length, 8);
    }
    out.append(text);
}

// Reads the stream front to back and never past its end: every read first checks what remains.
class StreamReader {
public:
    explicit StreamReader(std::string_view stream) : rest_(stream) {}

    std::optional<std::uint64_t> LittleEndian(int byteCount) {
        if (rest_.size() < static_cast<std::size_t>(byteCount)) {
            return std::nullopt;
        }
        std::uint64_t value = 0;
        for (int i = 0; i < byteCount; ++i) {
            value |= std::uint64_t{static_cast<unsigned char>(rest_[i])} << (8 * i);
        }
        rest_.remove_prefix(static_cast<std::size_t>(byteCount));
        return value;
    }

    std::optional<std::string> TextField() {
        const std::optional<std::uint64_t> length = Length();
        if (!length || *length > rest_.size()) {
            return std::nullopt;
        }
        std::string text(rest_.substr(0, static_cast<std::size_t>(*length)));
        rest_.remove_prefix(text.size());
        return text;
    }

    std::optional<double> Double() {
        const std::optional<std::uint64_t> bits = LittleEndian(8);
        if (!bits) {
            return std::nullopt;
        }
        return std::bit_cast<double>(*bits);
    }

private:
    // Each prefix width has its values that mean "the length follows in the next width":
    // 0xFF for one byte; 0xFFFE and 0xFFFF for two (never written: the 2-byte form stops at
    // 0xFFFD); 0xFFFFFFFF for four.
    std::optional<std::uint64_t> Length() {
        std::optional<std::uint64_t> length = LittleEndian(1);
        if (!length || *length < 0xFF) {
            return length;
        }
        length = LittleEndian(2);
        if (!length || *length < 0xFFFE) {
            return length;
        }
        length = LittleEndian(4);
        if (!length || *length < 0xFFFFFFFF) {
            return length;
        }
        return LittleEndian(8);
    }

    std::string_view rest_;
};

std::string EndsInside(const char* field) {
    return std::string("the data ends inside the ") + field;
}

}  // namespace

std::string StateStream::Write(const AccountState& account) {
    std::string out;
    AppendTextField(out, Header);
    AppendTextField(out, account.UserName);
    AppendTextField(out, account.ComputerName);
    AppendTextField(out, account.Password);
    AppendTextField(out, account.Token);
    AppendTextField(out, account.UnsentClicks);
    AppendTextField(out, account.UnsentKeys);
    AppendTextField(out, account.UnsentSpare);
    AppendLittleEndian(out, std::bit_cast<std::uint64_t>(account.UnsentMetres.Load()), 8);
    return out;
}

bool StateStream::Read(std::string_view stream, AccountState& account, std::string* error) {
    StreamReader reader(stream);
    struct TextField {
        const char* name;
        std::string value;
    };
    TextField texts[] = {{"header", {}},      {"account name", {}}, {"computer name", {}},
                         {"password", {}},    {"token", {}},        {"unsent clicks", {}},
                         {"unsent keys", {}}, {"spare counter", {}}};
    for (TextField& field : texts) {
        std::optional<std::string> value = reader.TextField();
        if (!value) {
            if (error != nullptr) {
                *error = EndsInside(field.name);
            }
            return false;
        }
        field.value = std::move(*value);
    }
    const std::optional<double> metres = reader.Double();
    if (!metres) {
        if (error != nullptr) {
            *error = EndsInside("unsent mouse travel");
        }
        return false;
    }
    account.UserName = std::move(texts[1].value);
    account.ComputerName = std::move(texts[2].value);
    account.Password = std::move(texts[3].value);
    account.Token = std::move(texts[4].value);
    account.UnsentClicks = std::move(texts[5].value);
    account.UnsentKeys = std::move(texts[6].value);
    account.UnsentSpare = std::move(texts[7].value);
    account.UnsentMetres = *metres;
    return true;
}
