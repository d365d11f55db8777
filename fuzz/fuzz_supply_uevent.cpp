// Feeds arbitrary bytes to the power-supply uevent parser, then builds the
// battery reading from what it found, as the computer's battery and as an
// online adapter, so the arithmetic on hostile numbers runs too.
#include "monitor/linux/PowerSupplyReader.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

using namespace moravel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto attributes = parseSupplyUevent(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const auto& [key, value] : attributes) {
        const bool lowerCase = std::none_of(key.begin(), key.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
        if (key.empty() || !lowerCase || key.find('\n') != std::string::npos || value.find('\n') != std::string::npos)
            std::abort();
    }
    auto battery = attributes;
    battery.insert_or_assign("type", "Battery");
    auto adapter = std::move(attributes);
    adapter.insert_or_assign("type", "Mains");
    adapter.insert_or_assign("online", "1");
    (void)batteryRegistryFromSupplies({PowerSupply{"BAT0", std::move(battery)}, PowerSupply{"AC", std::move(adapter)}});
    return 0;
}
