// keyfreq.bin as a damaged disk may leave it: whatever loads must hold no more pairs than the
// bytes carry, and must write back into a file that loads to the same tally.

#include <cstdint>
#include <string_view>

#include "FuzzCheck.h"
#include "counting/KeyFrequencyTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    KeyFrequencyTable table;
    if (!table.Deserialize(bytes)) {
        Check(size < 4);
        return 0;
    }
    Check(table.Size() <= (size - 4) / 8);
    KeyFrequencyTable reread;
    Check(reread.Deserialize(table.Serialize()));
    Check(reread.Entries() == table.Entries());
    for (const auto& [code, count] : table.Entries()) {
        table.Increment(code);
    }
    return 0;
}
