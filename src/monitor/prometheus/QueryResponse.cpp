#include "monitor/prometheus/QueryResponse.h"

#include "monitor/prometheus/JsonCursor.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace moravel {

namespace {

// "1.5", "NaN", "+Inf", "-Inf": how the API writes a sample's value.
bool sampleValue(std::string_view text, double& out)
{
    if (text == "+Inf") {
        out = std::numeric_limits<double>::infinity();
        return true;
    }
    if (text.empty() || text.front() == '+')
        return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size();
}

// Where one series' labels and points begin in the result's storage, until
// parsing ends and the series can view them.
struct SeriesExtent {
    size_t firstLabel = 0;
    size_t firstPoint = 0;
};

std::string owned(std::string_view text)
{
    return std::string(text);
}

}  // namespace

class QueryAnswerReader {
public:
    explicit QueryAnswerReader(QByteArray json)
        : text_(std::move(json)),
          cursor_(std::string_view(text_.constData(), static_cast<size_t>(text_.size())), result_.unescaped_)
    {
        // Room for what a typical answer of this size holds, so that a large
        // one is not copied over and over as it grows: a label takes some 30
        // characters of the text, a series with its value some 200.
        const auto room = [this](size_t perItem) { return static_cast<size_t>(text_.size()) / perItem; };
        result_.labels_.reserve(room(30));
        extents_.reserve(room(200));
        result_.points_.reserve(room(200));
    }

    std::variant<QueryResult, QueryFailure> read()
    {
        const bool read = cursor_.object([this](std::string_view key) { return member(key); }) && cursor_.atEnd();
        if (!read)
            return QueryFailure{{}, problem_.empty() ? "the answer is not the query API's JSON" : problem_};
        if (status_ == "error")
            return QueryFailure{errorType_.empty() ? "error" : owned(errorType_), owned(error_)};
        if (status_ != "success" || !hasData_)
            return QueryFailure{{}, "the answer is not the query API's JSON"};
        viewStorage();
        result_.text_ = std::move(text_);
        return std::move(result_);
    }

private:
    bool member(std::string_view key)
    {
        if (key == "status")
            return cursor_.string(status_);
        if (key == "errorType")
            return cursor_.string(errorType_);
        if (key == "error")
            return cursor_.string(error_);
        if (key == "warnings")
            return cursor_.array([this] {
                std::string_view warning;
                if (!cursor_.string(warning))
                    return false;
                result_.warnings.emplace_back(warning);
                return true;
            });
        if (key == "data") {
            hasData_ = true;
            return cursor_.peek('{') ? cursor_.object([this](std::string_view k) { return dataMember(k); })
                                     : cursor_.skipValue();
        }
        return cursor_.skipValue();
    }

    bool dataMember(std::string_view key)
    {
        if (key == "resultType") {
            std::string_view type;
            if (!cursor_.string(type))
                return false;
            if (type == "vector")
                result_.type = QueryResultType::vector;
            else if (type == "matrix")
                result_.type = QueryResultType::matrix;
            else if (type == "scalar")
                result_.type = QueryResultType::scalar;
            else if (type == "string")
                result_.type = QueryResultType::string;
            else
                return fail("unknown result type " + owned(type.substr(0, 20)));
            return true;
        }
        if (key != "result")
            return cursor_.skipValue();
        // A scalar or string is one [time, value] pair; vectors and matrices are lists of series.
        if (!cursor_.expect('['))
            return false;
        if (cursor_.take(']'))
            return true;
        if (!cursor_.peek('{'))
            return scalar();
        do {
            if (!series())
                return false;
        } while (cursor_.take(','));
        return cursor_.expect(']');
    }

    // The rest of `[time, "value"]` once its bracket is taken.
    bool scalar()
    {
        double time = 0;
        std::string_view text;
        if (!cursor_.number(time) || !cursor_.expect(',') || !cursor_.string(text) || !cursor_.expect(']'))
            return false;
        double value = NAN;
        // A string result's text is no number: it is left out.
        if (sampleValue(text, value)) {
            extents_.push_back({result_.labels_.size(), result_.points_.size()});
            result_.points_.push_back({time, value});
        }
        return true;
    }

    bool series()
    {
        const SeriesExtent extent{result_.labels_.size(), result_.points_.size()};
        bool isHistogram = false;
        const bool read = cursor_.object([&](std::string_view key) {
            if (key == "metric")
                return labels(extent.firstLabel);
            if (key == "value")
                return point();
            if (key == "values")
                return cursor_.array([&] { return point(); });
            if (key == "histogram" || key == "histograms")
                isHistogram = true;
            return cursor_.skipValue();
        });
        if (!read)
            return false;
        // A native histogram's series has no points: it is left out.
        if (isHistogram && result_.points_.size() == extent.firstPoint) {
            result_.labels_.resize(extent.firstLabel);
            return true;
        }
        extents_.push_back(extent);
        return true;
    }

    // The labels of the series whose first is at `first`: they may come
    // after its values, which are kept apart.
    bool labels(size_t first)
    {
        return cursor_.object([&](std::string_view name) {
            if (result_.labels_.size() - first == largestQueryLabelCount)
                return fail("a series with more than " + std::to_string(largestQueryLabelCount) + " labels");
            std::string_view value;
            if (!cursor_.string(value))
                return false;
            result_.labels_.emplace_back(name, value);
            return true;
        });
    }

    bool point()
    {
        if (result_.points_.size() == largestQueryPointCount)
            return fail("more than " + std::to_string(largestQueryPointCount) + " values");
        double time = 0;
        double value = 0;
        std::string_view text;
        if (!cursor_.expect('[') || !cursor_.number(time) || !cursor_.expect(',') || !cursor_.string(text)
            || !cursor_.expect(']'))
            return false;
        if (!sampleValue(text, value))
            return fail("a value that is not a number: " + owned(text.substr(0, 20)));
        result_.points_.push_back({time, value});
        return true;
    }

    // The series view their labels and points, which move no more.
    void viewStorage()
    {
        result_.series.reserve(extents_.size());
        for (size_t i = 0; i < extents_.size(); ++i) {
            const size_t labelEnd = i + 1 < extents_.size() ? extents_[i + 1].firstLabel : result_.labels_.size();
            const size_t pointEnd = i + 1 < extents_.size() ? extents_[i + 1].firstPoint : result_.points_.size();
            result_.series.push_back(
                {std::span(result_.labels_).subspan(extents_[i].firstLabel, labelEnd - extents_[i].firstLabel),
                 std::span(result_.points_).subspan(extents_[i].firstPoint, pointEnd - extents_[i].firstPoint)});
        }
    }

    bool fail(std::string problem)
    {
        if (problem_.empty())
            problem_ = std::move(problem);
        return cursor_.fail();
    }

    QByteArray text_;
    QueryResult result_;
    JsonCursor cursor_;
    std::vector<SeriesExtent> extents_;
    std::string_view status_;
    std::string_view errorType_;
    std::string_view error_;
    std::string problem_;
    bool hasData_ = false;
};

std::string_view QuerySeries::label(std::string_view key) const
{
    for (const auto& [name, value] : labels) {
        if (name == key)
            return value;
    }
    return {};
}

std::variant<QueryResult, QueryFailure> parseQueryResponse(QByteArray json)
{
    if (static_cast<size_t>(json.size()) > largestQueryAnswer)
        return QueryFailure{{}, "the answer is larger than " + std::to_string(largestQueryAnswer >> 20) + " MB"};
    return QueryAnswerReader(std::move(json)).read();
}

std::optional<double> prometheusDurationSeconds(std::string_view text)
{
    // Units longest first where one is the start of another ("ms" before "m").
    static constexpr std::pair<std::string_view, double> units[] = {
        {"ms", 0.001}, {"s", 1}, {"m", 60}, {"h", 3600}, {"d", 86400}, {"w", 604800}, {"y", 31536000}};
    if (text.empty())
        return std::nullopt;
    double total = 0;
    while (!text.empty()) {
        uint64_t amount = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), amount);
        if (error != std::errc() || end == text.data() || amount > 1'000'000'000)
            return std::nullopt;
        text.remove_prefix(static_cast<size_t>(end - text.data()));
        bool matched = false;
        for (const auto& [unit, seconds] : units) {
            if (text.starts_with(unit)) {
                total += static_cast<double>(amount) * seconds;
                text.remove_prefix(unit.size());
                matched = true;
                break;
            }
        }
        if (!matched)
            return std::nullopt;
    }
    return total;
}

std::optional<double> scrapeIntervalOfConfig(std::string_view json)
{
    // {"status":"success","data":{"yaml":"global:\n  scrape_interval: 15s\n..."}}
    std::deque<std::string> unescaped;
    JsonCursor cursor(json, unescaped);
    std::string_view yaml;
    const bool read = cursor.object([&](std::string_view key) {
        if (key != "data" || !cursor.peek('{'))
            return cursor.skipValue();
        return cursor.object([&](std::string_view inner) {
            return inner == "yaml" ? cursor.string(yaml) : cursor.skipValue();
        });
    });
    if (!read || !cursor.atEnd())
        return std::nullopt;
    // The server writes its configuration back in its own layout: the global
    // section first, its keys indented by two spaces.
    const std::string_view text = yaml;
    const size_t global = text.starts_with("global:") ? 0 : text.find("\nglobal:");
    if (global == std::string_view::npos)
        return std::nullopt;
    std::string_view section = text.substr(global == 0 ? 0 : global + 1);
    for (size_t lineEnd = section.find('\n'); lineEnd != std::string_view::npos; lineEnd = section.find('\n')) {
        section.remove_prefix(lineEnd + 1);
        const std::string_view line = section.substr(0, section.find('\n'));
        if (!line.starts_with("  "))
            break;
        constexpr std::string_view key = "  scrape_interval: ";
        if (line.starts_with(key)) {
            std::string_view value = line.substr(key.size());
            while (!value.empty() && (value.back() == ' ' || value.back() == '\r'))
                value.remove_suffix(1);
            const std::optional<double> seconds = prometheusDurationSeconds(value);
            return seconds && *seconds > 0 ? seconds : std::nullopt;
        }
    }
    return std::nullopt;
}

}  // namespace moravel
