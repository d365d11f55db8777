#pragma once

#include <QByteArray>

#include <cstddef>
#include <deque>
#include <span>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace moravel {

// One value of a series at one time (seconds since the epoch). NaN and
// ±infinity come as they are.
struct QueryPoint {
    double time = 0;
    double value = 0;

    friend bool operator==(const QueryPoint&, const QueryPoint&) = default;
};

using QueryLabel = std::pair<std::string_view, std::string_view>;

// One series of an answer: its labels (the metric's name under "__name__",
// where the expression kept it) in the server's order, and its points: one
// for an instant vector, one per step for a range. Views of its result.
struct QuerySeries {
    std::span<const QueryLabel> labels;
    std::span<const QueryPoint> points;

    // The value of label `key`; empty when the series has none.
    std::string_view label(std::string_view key) const;
};

enum class QueryResultType { vector, matrix, scalar, string };

// A Prometheus server's answer to /api/v1/query or /api/v1/query_range. A
// scalar is one series without labels; a string result has no series. The
// series view the result's own storage (mostly the answer's text itself,
// read without copies): a result moves but does not copy.
class QueryResult {
public:
    QueryResult() = default;
    QueryResult(QueryResult&&) = default;
    QueryResult& operator=(QueryResult&&) = default;
    QueryResult(const QueryResult&) = delete;
    QueryResult& operator=(const QueryResult&) = delete;

    QueryResultType type = QueryResultType::vector;
    std::vector<QuerySeries> series;
    std::vector<std::string> warnings;  // the server answered, with these doubts

private:
    friend class QueryAnswerReader;

    QByteArray text_;
    std::deque<std::string> unescaped_;
    std::vector<QueryLabel> labels_;
    std::vector<QueryPoint> points_;
};

// The server refused the query (`errorType` and its own message), or the
// answer is not the query API's (`errorType` empty).
struct QueryFailure {
    std::string errorType;
    std::string message;
};

// Even a fleet of thousands of machines answers in a few megabytes; these
// bound what a hostile or broken server can make Moravel hold.
inline constexpr size_t largestQueryAnswer = 32 * 1024 * 1024;
inline constexpr size_t largestQueryPointCount = 4'000'000;
inline constexpr size_t largestQueryLabelCount = 64;

// The query API's JSON, strictly: any malformed part fails the whole answer.
// Native histograms are skipped. Takes time in proportion to the answer.
std::variant<QueryResult, QueryFailure> parseQueryResponse(QByteArray json);

// The global scrape interval of the configuration /api/v1/status/config
// answers with; nothing when it names none or is not such an answer.
std::optional<double> scrapeIntervalOfConfig(std::string_view json);

// A duration as Prometheus writes them ("15s", "1m30s", "500ms", "2h"): in
// seconds, or nothing for any other text.
std::optional<double> prometheusDurationSeconds(std::string_view text);

}  // namespace moravel
