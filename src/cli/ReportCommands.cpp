#include "cli/ReportCommands.h"

#include <filesystem>
#include <ostream>

#include "cli/ConsoleUser.h"
#include "counting/AppRecord.h"
#include "counting/KeyFrequencyTable.h"
#include "persistence/AppPersistence.h"
#include "persistence/FileTypedStore.h"
#include "reports/KeyFrequencyReport.h"
#include "reports/TemplateOutput.h"

namespace {

bool Load(const DataFolder& dataFolder, AppRecord& record, KeyFrequencyTable& frequencies,
          std::ostream& err) {
    ConsoleUser user(err, false);
    record.Prefs.PortableMode = dataFolder.IsPortableMarkerPresent();
    frequencies.FillKeyNames();
    const AppPersistence persistence(dataFolder, FileTypedStore::DefaultPath(), user,
                                     StorageAccess::ReadOnly);
    if (persistence.LoadState(record, frequencies) != LoadResult::Loaded) {
        err << "kestrovin-cli: no usable account in "
            << dataFolder.GetDataFolder(record.Prefs.PortableMode).string() << '\n';
        return false;
    }
    return true;
}

}  // namespace

int RunKeysCommand(const DataFolder& dataFolder, KeysOutput output, const std::string& exportFile,
                   std::ostream& out, std::ostream& err) {
    AppRecord record;
    KeyFrequencyTable frequencies;
    if (!Load(dataFolder, record, frequencies, err))
        return 1;
    const auto rows = KeyFrequencyReport::Rows(frequencies);
    if (output == KeysOutput::List) {
        for (const auto& row : rows)
            out << row.Count << '\t' << row.Key << '\n';
        return 0;
    }
    const std::string text =
        output == KeysOutput::Xml
            ? KeyFrequencyReport::Xml(frequencies, rows.size())
            : KeyFrequencyReport::Html(KeyFrequencyReport::Figures::From(record), rows);
    std::string error;
    if (!KeyFrequencyReport::WriteExport(exportFile, text, &error)) {
        err << "kestrovin-cli: could not write " << exportFile << ": " << error << '\n';
        return 1;
    }
    return 0;
}

int RunTemplateCommand(const DataFolder& dataFolder, std::ostream& out, std::ostream& err) {
    AppRecord record;
    KeyFrequencyTable frequencies;
    if (!Load(dataFolder, record, frequencies, err))
        return 1;
    std::string error;
    switch (TemplateOutput::GenerateNow(record, dataFolder, &error)) {
        case TemplateOutput::Result::Written:
            out << "Wrote "
                << dataFolder.GetDataFilePath(TemplateOutput::OutputName, record.Prefs.PortableMode)
                       .string()
                << '\n';
            return 0;
        case TemplateOutput::Result::NoTemplate:
            err << "kestrovin-cli: no template " << TemplateOutput::TemplateName
                << " in the current folder " << std::filesystem::current_path().string() << '\n';
            return 1;
        case TemplateOutput::Result::TemplateTooLarge:
            err << "kestrovin-cli: " << error << '\n';
            return 1;
        case TemplateOutput::Result::CannotWrite:
            err << "kestrovin-cli: " << TemplateOutput::InUseMessage << " (" << error << ")\n";
            return 1;
    }
    return 1;
}
