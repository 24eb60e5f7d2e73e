#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The per-user typed settings store (the registry on Windows): 32-bit integers and texts
// under a key path such as "Software\Kestrovin\Preferences" and a value name. A store object
// lives for one operation: it reads the stored values when created, writes go to memory, and
// Flush puts them on disk in one piece.
class TypedStore {
public:
    virtual ~TypedStore() = default;

    // False (and value untouched) when the key or the value is missing or of the other kind.
    virtual bool ReadInt(std::string_view keyPath, std::string_view name, std::int32_t& value) = 0;
    virtual bool ReadText(std::string_view keyPath, std::string_view name, std::string& value) = 0;

    // Create the key when needed.
    virtual void WriteInt(std::string_view keyPath, std::string_view name, std::int32_t value) = 0;
    virtual void WriteText(std::string_view keyPath, std::string_view name,
                           std::string_view value) = 0;

    virtual bool KeyExists(std::string_view keyPath) = 0;
    virtual void CreateKey(std::string_view keyPath) = 0;
    // Deletes the key with its values; false when it did not exist.
    virtual bool DeleteKey(std::string_view keyPath) = 0;

    // Writes the changes made since creation to disk; false when they could not be written.
    virtual bool Flush() = 0;
};
