// Feeds arbitrary bytes to the parsers of a device's identity (its uevent
// file, a PCI id list) and of a sensor's temperature. A GPU's name is never
// empty, and a temperature is finite.
#include "monitor/linux/GpuNames.h"
#include "monitor/linux/HwmonReader.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

using namespace moravel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const DeviceIdentity identity = parseDeviceUevent(text);
    const PciId id = identity.pciId.value_or(PciId{0x1002, 0x73bf});
    const auto listed = listedPciDevice(text, id);
    if (listed && (listed->data() < text.data() || listed->data() + listed->size() > text.data() + text.size()))
        std::abort();
    if (gpuName(identity, listed, "card0").isEmpty())
        std::abort();
    if (const auto celsius = parseHwmonValue(text, 1000); celsius && !std::isfinite(*celsius))
        std::abort();
    return 0;
}
