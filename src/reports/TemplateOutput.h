#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "counting/AccountState.h"
#include "counting/AppRecord.h"
#include "counting/Preferences.h"
#include "persistence/DataFolder.h"

// Fills the user's statistics template: every placeholder replaced by its current figure.
class TemplateOutput {
public:
    // The preference figures the template can show.
    struct Settings {
        std::int32_t DistanceType = 0;
        std::int32_t SkeldEvery = 0;
        std::int32_t SkeldEveryClicks = 0;
        std::int32_t SkeldEveryHours = 0;
        std::int32_t CountClicks = 0;
        std::int32_t Distance = 0;
        std::int32_t CountKeys = 0;
        std::int32_t CheckForUpdates = 0;

        static Settings From(const Preferences& prefs);
    };

    static constexpr std::string_view TemplateName = "Kestrovin.tpl";
    static constexpr std::string_view OutputName = "Kestrovin.xml";
    static constexpr std::string_view InUseMessage = "Error: XML file in use by another process!";
    // The largest template filled; a larger one is not even read, so that a stray huge file
    // never stalls the program.
    static constexpr std::size_t MaxTemplateBytes = 1024 * 1024;

    // One line or piece with every placeholder replaced, in their fixed order.
    static std::string FillLine(std::string line, const AccountState& account,
                                const Settings& settings);

    // The whole output for a template text: read in pieces of at most 1023 characters.
    static std::string Fill(std::string_view templateText, const AccountState& account,
                            const Settings& settings);

    enum class Result { Written, NoTemplate, TemplateTooLarge, CannotWrite };
    // Reads the template and replaces the output file at once (a reader never sees half of it),
    // through a symbolic link when the output is one (ReplaceUserFile). A template over
    // MaxTemplateBytes is TemplateTooLarge, said in `error` as is a failed write.
    static Result Generate(const std::filesystem::path& templateFile,
                           const std::filesystem::path& outputFile, const AccountState& account,
                           const Settings& settings, std::string* error = nullptr);

    // One run as the timer makes it: the template from the current folder, the output into
    // the data folder.
    static Result GenerateNow(const AppRecord& record, const DataFolder& folder,
                              std::string* error = nullptr);
};
