#pragma once

#include "monitor/remote/ExpositionFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace moravel {

using Family = std::vector<const ExpositionSample*>;

// A node exporter page's node_* samples by metric name. The page must
// outlive it: the names are the samples' own.
class MetricFamilies {
public:
    explicit MetricFamilies(const ExpositionPage& page)
    {
        for (const ExpositionSample& sample : page.samples) {
            if (sample.name.starts_with("node_"))
                byName_[sample.name].push_back(&sample);
        }
    }

    const Family& operator[](std::string_view name) const
    {
        static const Family none;
        const auto found = byName_.find(name);
        return found == byName_.end() ? none : found->second;
    }
    std::optional<double> single(std::string_view name) const
    {
        const Family& family = (*this)[name];
        return family.empty() ? std::nullopt : std::optional<double>(family.front()->value);
    }
    // Whether the exporter says the named collector ran, even if it found nothing.
    bool collectorRan(std::string_view collector) const
    {
        const Family& family = (*this)["node_scrape_collector_success"];
        return std::any_of(family.begin(), family.end(), [&](const ExpositionSample* sample) {
            return sample->label("collector") == collector && sample->value == 1;
        });
    }
    // Names starting with `prefix`, for the families named after a device's attribute.
    template <typename Visit>
    void forEachWithPrefix(std::string_view prefix, Visit visit) const
    {
        for (const auto& [name, family] : byName_) {
            if (name.starts_with(prefix))
                visit(name.substr(prefix.size()), family);
        }
    }

private:
    std::unordered_map<std::string_view, Family> byName_;
};

// A counter or size in whole units; nothing for NaN, infinity or below zero.
inline std::optional<uint64_t> wholeAmount(double value, double scale = 1)
{
    const double scaled = value * scale;
    if (!std::isfinite(scaled) || scaled < 0 || scaled >= 0x1p64)
        return std::nullopt;
    return static_cast<uint64_t>(std::round(scaled));
}

}  // namespace moravel
