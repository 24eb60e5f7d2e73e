#include "persistence/SettingsStore.h"

#include <optional>
#include <type_traits>
#include <utility>

#include "counting/DistanceUnit.h"
#include "persistence/IniFile.h"
#include "persistence/SettingsKeyTable.h"
#include "persistence/SettingsNumbers.h"
#include "persistence/TypedStore.h"
#include "text/NumberText.h"

namespace {

bool IsLoad(std::string_view action) {
    return action == "load";
}

// Settings file text of each kind.
std::string ToFileText(std::int32_t value) {
    return NumberText::Integer(value);
}
std::string ToFileText(double value) {
    return NumberText::Short(value);
}
std::string ToFileText(const std::string& value) {
    return value;
}

void FromFileText(std::string_view text, std::int32_t& field) {
    field = SettingsNumbers::LeadingInt(text);
}
// The one real setting is a distance (TotalMiles): it is made sane on the way in.
void FromFileText(std::string_view text, double& field) {
    field = SaneMiles(SettingsNumbers::LeadingReal(text));
}
void FromFileText(std::string_view text, std::string& field) {
    field = text;
}

// Typed store values of each kind: integers as integers, texts as texts, reals as "%.2f" text.
void ReadTyped(TypedStore& store, std::string_view path, std::string_view name,
               std::int32_t& field) {
    std::int32_t value = 0;
    field = store.ReadInt(path, name, value) ? value : 0;
}
void ReadTyped(TypedStore& store, std::string_view path, std::string_view name,
               std::string& field) {
    std::string value;
    field = store.ReadText(path, name, value) ? std::move(value) : std::string();
}
void ReadTyped(TypedStore& store, std::string_view path, std::string_view name, double& field) {
    std::string value;
    field =
        store.ReadText(path, name, value) ? SaneMiles(SettingsNumbers::LeadingReal(value)) : 0.0;
}

void WriteTyped(TypedStore& store, std::string_view path, std::string_view name,
                std::int32_t value) {
    store.WriteInt(path, name, value);
}
void WriteTyped(TypedStore& store, std::string_view path, std::string_view name,
                const std::string& value) {
    store.WriteText(path, name, value);
}
void WriteTyped(TypedStore& store, std::string_view path, std::string_view name, double value) {
    store.WriteText(path, name, NumberText::Fixed(value, 2));
}

std::string KeyPathOf(std::string_view section) {
    std::string path = "Software\\Kestrovin\\";
    path += section;
    return path;
}

// One key, to or from the store chosen by `portable`.
template <typename Field>
bool TransferOne(std::string_view action, bool portable, const std::filesystem::path& file,
                 TypedStore& store, std::string_view section, std::string_view key, Field& field) {
    if (portable) {
        if (IsLoad(action)) {
            FromFileText(CIniFile::ReadValue(key, section, file), field);
            return true;
        }
        return CIniFile::WriteValue(key, ToFileText(field), section, file);
    }
    const std::string path = KeyPathOf(section);
    if (IsLoad(action)) {
        ReadTyped(store, path, key, field);
        return true;
    }
    WriteTyped(store, path, key, field);
    return store.Flush();
}

}  // namespace

SettingsStore::SettingsStore(AppRecord& record, std::filesystem::path settingsFile,
                             TypedStore& typedStore, StorageAccess access)
    : record_(record),
      settingsFile_(std::move(settingsFile)),
      typedStore_(typedStore),
      access_(access) {}

std::string SettingsStore::KeyPath(std::string_view section) {
    return KeyPathOf(section);
}

bool SettingsStore::TransferSettings(std::string_view action) {
    // PortableMode is not a setting, so it cannot change during the transfer: one choice of
    // store serves every key.
    if (!IsLoad(action) && access_ == StorageAccess::ReadOnly) {
        return false;
    }
    if (record_.Prefs.PortableMode) {
        if (IsLoad(action)) {
            LoadFromFile();
            return true;
        }
        return SaveToFile();
    }
    if (IsLoad(action)) {
        LoadFromTypedStore();
        return true;
    }
    return SaveToTypedStore();
}

void SettingsStore::LoadFromFile() {
    if (access_ == StorageAccess::ReadWrite) {
        CIniFile::EnsureFile(settingsFile_);
    }
    const IniRecords records = CIniFile::LoadRecords(settingsFile_).value_or(IniRecords{});
    for (const SettingsKey& row : SettingsKeyTable()) {
        const IniRecord* line = CIniFile::FindKey(records, row.Key, row.Section);
        const std::string_view text = line != nullptr ? std::string_view(line->Value) : "";
        UseSettingField(record_, row.Field, [&](auto& field) { FromFileText(text, field); });
    }
}

bool SettingsStore::SaveToFile() {
    CIniFile::EnsureFile(settingsFile_);
    std::optional<IniRecords> records = CIniFile::LoadRecords(settingsFile_);
    if (!records) {
        return false;
    }
    for (const SettingsKey& row : SettingsKeyTable()) {
        UseSettingField(std::as_const(record_), row.Field, [&](const auto& field) {
            CIniFile::SetValue(*records, row.Key, ToFileText(field), row.Section);
        });
    }
    return CIniFile::SaveRecords(settingsFile_, *records);
}

void SettingsStore::LoadFromTypedStore() {
    for (const SettingsKey& row : SettingsKeyTable()) {
        const std::string path = KeyPath(row.Section);
        UseSettingField(record_, row.Field,
                        [&](auto& field) { ReadTyped(typedStore_, path, row.Key, field); });
    }
}

bool SettingsStore::SaveToTypedStore() {
    std::string_view createdSection;
    for (const SettingsKey& row : SettingsKeyTable()) {
        const std::string path = KeyPath(row.Section);
        // The table lists each section's keys together.
        if (row.Section != createdSection) {
            typedStore_.CreateKey(path);
            createdSection = row.Section;
        }
        UseSettingField(std::as_const(record_), row.Field,
                        [&](const auto& field) { WriteTyped(typedStore_, path, row.Key, field); });
    }
    return typedStore_.Flush();
}

bool SettingsStore::TransferSettingsKeyByKey(std::string_view action) {
    if (record_.Prefs.PortableMode) {
        CIniFile::EnsureFile(settingsFile_);
    }
    bool saved = true;
    for (const SettingsKey& row : SettingsKeyTable()) {
        UseSettingField(record_, row.Field, [&](auto& field) {
            using Field = std::remove_reference_t<decltype(field)>;
            if constexpr (std::is_same_v<Field, std::int32_t>) {
                saved = TransferInt(action, row.Section, row.Key, field) && saved;
            } else if constexpr (std::is_same_v<Field, double>) {
                saved = TransferReal(action, row.Section, row.Key, field) && saved;
            } else {
                saved = TransferText(action, row.Section, row.Key, field) && saved;
            }
        });
    }
    return saved;
}

bool SettingsStore::TransferInt(std::string_view action, std::string_view section,
                                std::string_view key, std::int32_t& field) {
    return TransferOne(action, record_.Prefs.PortableMode, settingsFile_, typedStore_, section, key,
                       field);
}

bool SettingsStore::TransferText(std::string_view action, std::string_view section,
                                 std::string_view key, std::string& field) {
    return TransferOne(action, record_.Prefs.PortableMode, settingsFile_, typedStore_, section, key,
                       field);
}

bool SettingsStore::TransferReal(std::string_view action, std::string_view section,
                                 std::string_view key, double& field) {
    return TransferOne(action, record_.Prefs.PortableMode, settingsFile_, typedStore_, section, key,
                       field);
}
