#include "monitor/linux/GpuNames.h"

#include "monitor/linux/TextFields.h"
#include "monitor/linux/TextFile.h"
#include "support/PrintableExcerpt.h"

#include <charconv>

namespace moravel {

namespace {

std::optional<uint16_t> hexId(std::string_view text)
{
    uint16_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (text.size() != 4 || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// "1002:73BF"
std::optional<PciId> parsePciId(std::string_view text)
{
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos)
        return std::nullopt;
    const auto vendor = hexId(text.substr(0, colon));
    const auto device = hexId(text.substr(colon + 1));
    if (!vendor || !device)
        return std::nullopt;
    return PciId{*vendor, *device};
}

std::string hexDigits(uint16_t id)
{
    char digits[4];
    for (int i = 3; i >= 0; --i, id >>= 4)
        digits[i] = "0123456789abcdef"[id & 0xf];
    return std::string(digits, 4);
}

const char* vendorName(uint16_t vendor)
{
    switch (vendor) {
    case 0x1002: return "AMD";
    case 0x8086: return "Intel";
    case 0x10de: return "NVIDIA";
    default: return nullptr;
    }
}

}  // namespace

DeviceIdentity parseDeviceUevent(std::string_view text)
{
    DeviceIdentity identity;
    forEachLine(text, [&](std::string_view line) {
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            return true;
        const std::string_view key = line.substr(0, equals);
        const std::string_view value = trimmed(line.substr(equals + 1));
        if (key == "DRIVER")
            identity.driver = value;
        else if (key == "PCI_ID")
            identity.pciId = parsePciId(value);
        else if (key == "PCI_SLOT_NAME")
            identity.pciSlot = value;
        return true;
    });
    return identity;
}

std::optional<std::string_view> listedPciDevice(std::string_view pciIds, PciId id)
{
    // Vendors start a line ("1002  Advanced Micro Devices..."); their devices
    // follow, one tab in ("\t73bf  Navi 21 [...]"), subsystems two tabs in.
    const std::string vendorStart = hexDigits(id.vendor) + "  ";
    size_t at = pciIds.starts_with(vendorStart) ? 0 : pciIds.find('\n' + vendorStart);
    if (at == std::string_view::npos)
        return std::nullopt;
    at = pciIds.find('\n', at + 1);
    if (at == std::string_view::npos)
        return std::nullopt;
    const std::string deviceStart = '\t' + hexDigits(id.device) + "  ";
    std::optional<std::string_view> found;
    forEachLine(pciIds.substr(at + 1), [&](std::string_view line) {
        if (line.starts_with(deviceStart))
            found = trimmed(line.substr(deviceStart.size()));
        // Comments and subsystems belong to the vendor; any other line ends it.
        return !found && (line.starts_with('\t') || line.starts_with('#') || line.empty());
    });
    return found;
}

QString gpuName(const DeviceIdentity& identity, std::optional<std::string_view> listedDevice,
                const std::string& card)
{
    const char* vendor = identity.pciId ? vendorName(identity.pciId->vendor) : nullptr;
    if (listedDevice && !listedDevice->empty()) {
        // The marketing name is the last bracketed part, where there is one.
        std::string_view model = *listedDevice;
        const size_t open = model.rfind('[');
        const size_t close = model.rfind(']');
        if (open != std::string_view::npos && close != std::string_view::npos && close > open + 1)
            model = model.substr(open + 1, close - open - 1);
        const QString name =
            printableExcerpt(QString::fromUtf8(model.data(), static_cast<qsizetype>(model.size())), longestShownName);
        return vendor ? QString::fromLatin1(vendor) + u' ' + name : name;
    }
    if (vendor)
        return QString::fromLatin1(vendor) + QStringLiteral(" GPU");
    return printableExcerpt(QString::fromStdString(identity.driver.empty() ? card : identity.driver), longestShownName);
}

}  // namespace moravel
