// Feeds arbitrary bytes to the island preferences decoder. Whatever it
// accepts must encode back to a document that decodes to the same choices.
#include "island/IslandJson.h"

#include <cstdint>
#include <cstdlib>

using namespace moravel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<IslandPreferences> decoded = decodeIslandPreferences(input);
    if (!decoded)
        return 0;
    if (decodeIslandPreferences(encodeIslandPreferences(*decoded)) != decoded)
        std::abort();
    const IslandPreferences normal = IslandPreferencesStore::normalized(*decoded);
    if (decodeIslandPreferences(encodeIslandPreferences(normal)) != normal)
        std::abort();
    return 0;
}
