// settings.ini as a person or a damaged disk may leave it: the line rules in memory, then the
// whole settings load and save of portable mode on a real file. What is written back must read
// as the same lines, and a second load and save must read the same settings and leave the file
// as the first save wrote it.

#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "SettingsRoundTrip.h"
#include "files/FileIo.h"
#include "persistence/IniFile.h"
#include "support/TempFolder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TempFolder folder;
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    const IniRecords records = CIniFile::ParseRecords(text);
    Check(CIniFile::ParseRecords(CIniFile::FormatRecords(records)) == records);

    Check(WriteFileAtomically(folder / "settings.ini", text, 0600));
    CheckSettingsRoundTrips(true, folder / "settings.ini", folder / "registry.conf");
    return 0;
}
