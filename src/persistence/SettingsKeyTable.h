#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "counting/AppRecord.h"

enum class SettingKind { Integer, Text, Real };

// Where a setting lives in the record: a member of the account (sections "User" and
// "Program Data") or of the preferences (the other sections).
using SettingField =
    std::variant<std::int32_t AccountState::*, std::string AccountState::*, double AccountState::*,
                 std::int32_t Preferences::*, SharedValue<std::int32_t> Preferences::*,
                 std::string Preferences::*>;

struct SettingsKey {
    std::string_view Section;
    std::string_view Key;
    SettingKind Kind;
    SettingField Field;
};

// The 73 persistent settings in transfer order; load and save both follow it.
std::span<const SettingsKey> SettingsKeyTable();

// The record's field of a setting, as a plain variable: `use` is called with an
// std::int32_t&, a std::string& or a double&. The shared "measure distance" flag is handed
// over as a copy that is stored back afterwards.
template <typename Use>
void UseSettingField(AppRecord& record, const SettingField& field, Use&& use) {
    struct Visitor {
        AppRecord& record;
        Use& use;
        void operator()(std::int32_t AccountState::*member) { use(record.Account.*member); }
        void operator()(std::string AccountState::*member) { use(record.Account.*member); }
        void operator()(double AccountState::*member) { use(record.Account.*member); }
        void operator()(std::int32_t Preferences::*member) { use(record.Prefs.*member); }
        void operator()(std::string Preferences::*member) { use(record.Prefs.*member); }
        void operator()(SharedValue<std::int32_t> Preferences::*member) {
            std::int32_t value = (record.Prefs.*member).Load();
            use(value);
            (record.Prefs.*member).Store(value);
        }
    };
    std::visit(Visitor{record, use}, field);
}

// The same for reading only: `use` gets a const reference (or a copy of the shared flag).
template <typename Use>
void UseSettingField(const AppRecord& record, const SettingField& field, Use&& use) {
    struct Visitor {
        const AppRecord& record;
        Use& use;
        void operator()(std::int32_t AccountState::*member) { use(record.Account.*member); }
        void operator()(std::string AccountState::*member) { use(record.Account.*member); }
        void operator()(double AccountState::*member) { use(record.Account.*member); }
        void operator()(std::int32_t Preferences::*member) { use(record.Prefs.*member); }
        void operator()(std::string Preferences::*member) { use(record.Prefs.*member); }
        void operator()(SharedValue<std::int32_t> Preferences::*member) {
            const std::int32_t value = (record.Prefs.*member).Load();
            use(value);
        }
    };
    std::visit(Visitor{record, use}, field);
}
