#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace moravel {

// One sample of a metrics page: `name{label="value",...} value [timestamp]`.
struct ExpositionSample {
    std::string name;
    std::vector<std::pair<std::string, std::string>> labels;  // in page order, unescaped
    double value = 0;                                         // NaN and ±infinity included
    std::optional<int64_t> timestampMilliseconds;

    // The value of label `key`; empty when the sample has none.
    std::string_view label(std::string_view key) const;
};

// The samples of a page, in page order.
struct ExpositionPage {
    std::vector<ExpositionSample> samples;
};

struct ExpositionError {
    size_t line = 0;  // 1-based; 0 for the page as a whole
    std::string reason;
};

// An exporter's page is tens of kilobytes; anything this large is not one.
inline constexpr size_t largestExpositionPage = 4 * 1024 * 1024;
// A node exporter's samples carry a handful of labels, and even a large
// server's page holds a few tens of thousands of samples. These bound the
// work a hostile page can cause.
inline constexpr size_t largestExpositionLabelCount = 64;
inline constexpr size_t largestExpositionSampleCount = 100'000;

// The Prometheus text exposition format: samples, HELP and TYPE lines,
// comments and blank lines. A page larger than largestExpositionPage, a
// sample with more labels or a page with more samples than the limits above,
// or any line that is none of these, fails the whole page: a garbled page
// must not be read as half a machine. Takes time in proportion to the page's
// size.
std::variant<ExpositionPage, ExpositionError> parseExposition(std::string_view text);

}  // namespace moravel
