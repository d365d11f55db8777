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

class AnswerReader {
public:
    explicit AnswerReader(std::string_view json) : cursor_(json) {}

    std::variant<QueryResult, QueryFailure> read()
    {
        const bool read = cursor_.object([this](const std::string& key) { return member(key); }) && cursor_.atEnd();
        if (!read)
            return QueryFailure{{}, problem_.empty() ? "the answer is not the query API's JSON" : problem_};
        if (status_ == "error")
            return QueryFailure{errorType_.empty() ? "error" : errorType_, error_};
        if (status_ != "success" || !hasData_)
            return QueryFailure{{}, "the answer is not the query API's JSON"};
        return std::move(result_);
    }

private:
    bool member(const std::string& key)
    {
        if (key == "status")
            return cursor_.string(status_);
        if (key == "errorType")
            return cursor_.string(errorType_);
        if (key == "error")
            return cursor_.string(error_);
        if (key == "warnings")
            return cursor_.array([this] {
                std::string warning;
                if (!cursor_.string(warning))
                    return false;
                result_.warnings.push_back(std::move(warning));
                return true;
            });
        if (key == "data") {
            hasData_ = true;
            return cursor_.peek('{') ? cursor_.object([this](const std::string& k) { return dataMember(k); })
                                     : cursor_.skipValue();
        }
        return cursor_.skipValue();
    }

    bool dataMember(const std::string& key)
    {
        if (key == "resultType") {
            std::string type;
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
                return fail("unknown result type " + type.substr(0, 20));
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
        std::string text;
        if (!cursor_.number(time) || !cursor_.expect(',') || !cursor_.string(text) || !cursor_.expect(']'))
            return false;
        double value = NAN;
        // A string result's text is no number: it is left out.
        if (sampleValue(text, value))
            result_.series.push_back({{}, {{time, value}}});
        return true;
    }

    bool series()
    {
        QuerySeries series;
        bool isHistogram = false;
        const bool read = cursor_.object([&](const std::string& key) {
            if (key == "metric")
                return labels(series);
            if (key == "value")
                return point(series);
            if (key == "values")
                return cursor_.array([&] { return point(series); });
            if (key == "histogram" || key == "histograms")
                isHistogram = true;
            return cursor_.skipValue();
        });
        if (!read)
            return false;
        if (!isHistogram || !series.points.empty())
            result_.series.push_back(std::move(series));
        return true;
    }

    bool labels(QuerySeries& series)
    {
        return cursor_.object([&](const std::string& name) {
            if (series.labels.size() == largestQueryLabelCount)
                return fail("a series with more than " + std::to_string(largestQueryLabelCount) + " labels");
            std::string value;
            if (!cursor_.string(value))
                return false;
            series.labels.emplace_back(name, std::move(value));
            return true;
        });
    }

    bool point(QuerySeries& series)
    {
        if (++points_ > largestQueryPointCount)
            return fail("more than " + std::to_string(largestQueryPointCount) + " values");
        double time = 0;
        double value = 0;
        if (!cursor_.expect('[') || !cursor_.number(time) || !cursor_.expect(',') || !cursor_.string(text_)
            || !cursor_.expect(']'))
            return false;
        if (!sampleValue(text_, value))
            return fail("a value that is not a number: " + text_.substr(0, 20));
        series.points.push_back({time, value});
        return true;
    }

    bool fail(std::string problem)
    {
        if (problem_.empty())
            problem_ = std::move(problem);
        return cursor_.fail();
    }

    JsonCursor cursor_;
    QueryResult result_;
    std::string status_;
    std::string errorType_;
    std::string error_;
    std::string problem_;
    std::string text_;  // a value's text, its storage reused
    size_t points_ = 0;
    bool hasData_ = false;
};

}  // namespace

std::string_view QuerySeries::label(std::string_view key) const
{
    for (const auto& [name, value] : labels) {
        if (name == key)
            return value;
    }
    return {};
}

std::variant<QueryResult, QueryFailure> parseQueryResponse(std::string_view json)
{
    if (json.size() > largestQueryAnswer)
        return QueryFailure{{}, "the answer is larger than " + std::to_string(largestQueryAnswer >> 20) + " MB"};
    return AnswerReader(json).read();
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
    JsonCursor cursor(json);
    std::string yaml;
    const bool read = cursor.object([&](const std::string& key) {
        if (key != "data" || !cursor.peek('{'))
            return cursor.skipValue();
        return cursor.object([&](const std::string& inner) {
            return inner == "yaml" ? cursor.string(yaml) : cursor.skipValue();
        });
    });
    if (!read || !cursor.atEnd())
        return std::nullopt;
    // The server writes its configuration back in its own layout: the global
    // section first, its keys indented by two spaces.
    const std::string_view text(yaml);
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
