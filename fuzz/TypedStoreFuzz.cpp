// registry.conf, the per-user typed store, as a damaged disk or a hand edit may leave it: the
// settings loaded from it and saved back to it. A second load and save must read the same
// settings and leave the file as the first save wrote it.

#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "SettingsRoundTrip.h"
#include "files/FileIo.h"
#include "support/TempFolder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TempFolder folder;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Check(WriteFileAtomically(folder / "registry.conf", text, 0600));
    CheckSettingsRoundTrips(false, folder / "settings.ini", folder / "registry.conf");
    return 0;
}
