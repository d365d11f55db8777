#pragma once

#include "monitor/remote/ExpositionFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace moravel {

using SampleLabel = std::pair<std::string_view, std::string_view>;

// One sample of a machine's metrics, viewed where it is kept: a page of its
// exporter, or a Prometheus server's answer about it.
struct NodeSample {
    std::string_view name;
    std::span<const SampleLabel> labels;
    double value = 0;

    // The value of label `key`; empty when the sample has none.
    std::string_view label(std::string_view key) const
    {
        for (const auto& [name, text] : labels) {
            if (name == key)
                return text;
        }
        return {};
    }
};

using Family = std::span<const NodeSample* const>;

// A machine's node_* samples by metric name, each family in the samples'
// order. What the samples view must outlive it.
class MetricFamilies {
public:
    explicit MetricFamilies(std::span<const NodeSample> samples) { index(samples); }

    explicit MetricFamilies(const ExpositionPage& page)
    {
        size_t labelCount = 0;
        for (const ExpositionSample& sample : page.samples)
            labelCount += sample.labels.size();
        labels_.reserve(labelCount);  // the samples view it: it must not move
        samples_.reserve(page.samples.size());
        for (const ExpositionSample& sample : page.samples) {
            const size_t first = labels_.size();
            for (const auto& [name, text] : sample.labels)
                labels_.emplace_back(name, text);
            samples_.push_back({sample.name, std::span(labels_).subspan(first), sample.value});
        }
        index(samples_);
    }

    MetricFamilies(const MetricFamilies&) = delete;
    MetricFamilies& operator=(const MetricFamilies&) = delete;

    Family operator[](std::string_view name) const
    {
        const auto found = std::ranges::lower_bound(byName_, name, comesBefore, &Named::name);
        return found == byName_.end() || found->name != name ? Family() : found->family;
    }
    std::optional<double> single(std::string_view name) const
    {
        const Family family = (*this)[name];
        return family.empty() ? std::nullopt : std::optional<double>(family.front()->value);
    }
    // Whether the exporter says the named collector ran, even if it found nothing.
    bool collectorRan(std::string_view collector) const
    {
        const Family family = (*this)["node_scrape_collector_success"];
        return std::any_of(family.begin(), family.end(), [&](const NodeSample* sample) {
            return sample->label("collector") == collector && sample->value == 1;
        });
    }
    // Names starting with `prefix`, for the families named after a device's attribute.
    template <typename Visit>
    void forEachWithPrefix(std::string_view prefix, Visit visit) const
    {
        for (const Named& named : byName_) {
            if (named.name.starts_with(prefix))
                visit(named.name.substr(prefix.size()), named.family);
        }
    }

private:
    struct Named {
        std::string_view name;
        Family family;
    };

    // Names by length first: most are told apart without reading them.
    static bool comesBefore(std::string_view a, std::string_view b)
    {
        return a.size() != b.size() ? a.size() < b.size() : a < b;
    }

    // Sorted once by name, so that each family is one run of the samples.
    void index(std::span<const NodeSample> samples)
    {
        sorted_.reserve(samples.size());
        for (const NodeSample& sample : samples) {
            if (sample.name.starts_with("node_"))
                sorted_.push_back(&sample);
        }
        // Then by place: the samples' order within each family, without a stable sort's buffer.
        std::ranges::sort(sorted_, [](const NodeSample* a, const NodeSample* b) {
            return comesBefore(a->name, b->name) || (a->name == b->name && a < b);
        });
        byName_.reserve(sorted_.size());
        for (size_t first = 0; first < sorted_.size();) {
            size_t end = first + 1;
            while (end < sorted_.size() && sorted_[end]->name == sorted_[first]->name)
                ++end;
            byName_.push_back({sorted_[first]->name, Family(sorted_).subspan(first, end - first)});
            first = end;
        }
    }

    std::vector<SampleLabel> labels_;
    std::vector<NodeSample> samples_;
    std::vector<const NodeSample*> sorted_;
    std::vector<Named> byName_;
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
