#include "monitor/linux/LoadAverageReader.h"

#include "monitor/linux/TextFields.h"

#include <charconv>

namespace moravel {

std::optional<std::array<double, 3>> parseLoadAverage(std::string_view text)
{
    FieldCursor fields(text.substr(0, text.find('\n')));
    std::array<double, 3> load{};
    for (double& figure : load) {
        const std::string_view field = fields.next();
        // from_chars, not strtod: the application's locale may want a decimal comma.
        const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), figure,
                                                  std::chars_format::fixed);
        if (field.empty() || error != std::errc() || end != field.data() + field.size())
            return std::nullopt;
    }
    return load;
}

LoadAverageReader::LoadAverageReader(const std::string& procRoot) : loadavg_(procRoot + "/loadavg") {}

SnapshotUpdate LoadAverageReader::read()
{
    const auto text = loadavg_.read();
    const auto load = text ? parseLoadAverage(*text) : std::nullopt;
    if (!load)
        return {};
    return [load](SystemSnapshot& next) { next.loadAverage = load; };
}

}  // namespace moravel
