#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <variant>

#include "persistence/TypedStore.h"

// The per-user typed store kept in one text file that people can read:
//
//   key Software\Kestrovin\Preferences
//   int CountKeys 1
//   text SkinName Default
//
// "key" opens a key path; "int" and "text" lines give its values as name and value after one
// blank each. "%XX" stands for the byte with that hexadecimal code: "%" itself, control bytes
// and blanks in names are written that way, so a text may hold any bytes. Lines starting with
// "#" are notes for the reader.
//
// The file is read once, when the object is made; writes change memory only; Flush rewrites
// the whole file atomically (owner-only, in an owner-only folder) when something changed. Two
// objects on one file do not see each other's changes, so use one object per operation. A
// damaged file reads as far as it can be understood (other lines are skipped and are gone
// after the next Flush); a file that exists but cannot be read reads as empty and is never
// overwritten.
//
// Key paths are compared byte for byte, except that trailing backslashes are ignored. A key
// exists when it or any key below it ("<path>\...") was created; DeleteKey removes the key
// with everything below it, so deleting an old key never fails for want of deleting its
// subkeys first.
class FileTypedStore final : public TypedStore {
public:
    explicit FileTypedStore(std::filesystem::path file);

    // $XDG_CONFIG_HOME/Kestrovin/registry.conf (default ~/.config); empty when no
    // configuration folder can be found.
    static std::filesystem::path DefaultPath();

    bool ReadInt(std::string_view keyPath, std::string_view name, std::int32_t& value) override;
    bool ReadText(std::string_view keyPath, std::string_view name, std::string& value) override;
    void WriteInt(std::string_view keyPath, std::string_view name, std::int32_t value) override;
    void WriteText(std::string_view keyPath, std::string_view name,
                   std::string_view value) override;
    bool KeyExists(std::string_view keyPath) override;
    void CreateKey(std::string_view keyPath) override;
    bool DeleteKey(std::string_view keyPath) override;
    bool Flush() override;

private:
    using Value = std::variant<std::int32_t, std::string>;
    using Values = std::map<std::string, Value, std::less<>>;
    using Keys = std::map<std::string, Values, std::less<>>;

    const Value* Find(std::string_view keyPath, std::string_view name) const;
    void Write(std::string_view keyPath, std::string_view name, Value value);
    void Parse(std::string_view text);
    std::string Format() const;

    std::filesystem::path file_;
    Keys keys_;
    bool changed_ = false;
    bool unreadable_ = false;
};
