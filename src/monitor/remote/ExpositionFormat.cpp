#include "monitor/remote/ExpositionFormat.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <span>

namespace moravel {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool isNameStart(char c, bool allowColon)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || (allowColon && c == ':');
}

bool isNameChar(char c, bool allowColon)
{
    return isNameStart(c, allowColon) || (c >= '0' && c <= '9');
}

// A cursor over one line; every read either advances or reports a fault.
class LineReader {
public:
    explicit LineReader(std::string_view line) : rest_(line) {}

    bool atEnd() const { return rest_.empty(); }
    char peek() const { return rest_.empty() ? '\0' : rest_.front(); }
    void skipBlanks()
    {
        while (!rest_.empty() && isBlank(rest_.front()))
            rest_.remove_prefix(1);
    }
    bool take(char c)
    {
        if (peek() != c)
            return false;
        rest_.remove_prefix(1);
        return true;
    }
    // A metric name (colons allowed) or a label name; empty when none starts here.
    std::string_view name(bool allowColon)
    {
        if (rest_.empty() || !isNameStart(rest_.front(), allowColon))
            return {};
        size_t end = 1;
        while (end < rest_.size() && isNameChar(rest_[end], allowColon))
            ++end;
        return cut(end);
    }
    // Everything up to the next blank.
    std::string_view token()
    {
        size_t end = 0;
        while (end < rest_.size() && !isBlank(rest_[end]))
            ++end;
        return cut(end);
    }
    std::string_view remainder() { return cut(rest_.size()); }

    // A quoted label value with \\, \" and \n escapes, the quotes taken;
    // nothing when it is not closed or has another escape.
    std::optional<std::string> quoted()
    {
        if (!take('"'))
            return std::nullopt;
        std::string value;
        for (size_t i = 0; i < rest_.size(); ++i) {
            const char c = rest_[i];
            if (c == '"') {
                rest_.remove_prefix(i + 1);
                return value;
            }
            if (c != '\\') {
                value += c;
                continue;
            }
            if (++i == rest_.size())
                return std::nullopt;
            const char escaped = rest_[i];
            if (escaped == 'n')
                value += '\n';
            else if (escaped == '\\' || escaped == '"')
                value += escaped;
            else
                return std::nullopt;
        }
        return std::nullopt;
    }

private:
    std::string_view cut(size_t count)
    {
        const std::string_view taken = rest_.substr(0, count);
        rest_.remove_prefix(count);
        return taken;
    }

    std::string_view rest_;
};

// A Go float as exporters write it: NaN, +Inf and -Inf (any case) included.
std::optional<double> parseValue(std::string_view text)
{
    if (text.size() > 1 && text[0] == '+' && text[1] != '-')
        text.remove_prefix(1);  // from_chars takes no plus sign
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

std::optional<int64_t> parseTimestamp(std::string_view text)
{
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || text.empty())
        return std::nullopt;
    return value;
}

// HELP's text allows \\ and \n escapes only.
bool isSoundHelpText(std::string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\')
            continue;
        if (++i == text.size() || (text[i] != '\\' && text[i] != 'n'))
            return false;
    }
    return true;
}

// A line that starts with '#': HELP and TYPE are checked, other comments skipped.
std::optional<std::string> commentFault(LineReader line)
{
    line.take('#');
    line.skipBlanks();
    const std::string_view keyword = line.token();
    if (keyword != "HELP" && keyword != "TYPE")
        return std::nullopt;
    line.skipBlanks();
    if (line.name(true).empty() || !(line.atEnd() || isBlank(line.peek())))
        return std::string(keyword) + " names no metric";
    line.skipBlanks();
    if (keyword == "HELP")
        return isSoundHelpText(line.remainder()) ? std::nullopt : std::optional<std::string>("bad escape in HELP");
    static constexpr std::array<std::string_view, 5> types{"counter", "gauge", "histogram", "summary", "untyped"};
    const std::string_view type = line.token();
    line.skipBlanks();
    if (std::find(types.begin(), types.end(), type) == types.end() || !line.atEnd())
        return "unknown TYPE \"" + std::string(type.substr(0, 40)) + "\"";
    return std::nullopt;
}

// Label names given twice, found by sorting: a hostile sample's labels must
// not cost time growing with the square of their number.
std::optional<std::string> repeatedLabel(std::span<std::string_view> names)
{
    std::sort(names.begin(), names.end());
    const auto repeated = std::adjacent_find(names.begin(), names.end());
    if (repeated == names.end())
        return std::nullopt;
    return "label " + std::string(repeated->substr(0, 40)) + " given twice";
}

// `{name="value",...}`, an empty pair of braces and a trailing comma included.
std::optional<std::string> readLabels(LineReader& line, ExpositionSample& sample)
{
    std::array<std::string_view, largestExpositionLabelCount> names;
    while (true) {
        line.skipBlanks();
        if (line.take('}'))
            return repeatedLabel(std::span(names.data(), sample.labels.size()));
        if (sample.labels.size() == names.size())
            return "more than " + std::to_string(names.size()) + " labels";
        const std::string_view name = line.name(false);
        if (name.empty())
            return "bad label name";
        line.skipBlanks();
        if (!line.take('='))
            return "no '=' after label " + std::string(name.substr(0, 40));
        line.skipBlanks();
        std::optional<std::string> value = line.quoted();
        if (!value)
            return "bad value of label " + std::string(name.substr(0, 40));
        names[sample.labels.size()] = name;
        sample.labels.emplace_back(std::string(name), std::move(*value));
        line.skipBlanks();
        if (line.take('}'))
            return repeatedLabel(std::span(names.data(), sample.labels.size()));
        if (!line.take(','))
            return "no ',' or '}' after label " + std::string(name.substr(0, 40));
    }
}

std::optional<std::string> readSample(LineReader line, ExpositionSample& sample)
{
    const std::string_view name = line.name(true);
    if (name.empty())
        return "no metric name";
    sample.name = name;
    line.skipBlanks();
    if (line.take('{')) {
        if (auto fault = readLabels(line, sample))
            return fault;
        line.skipBlanks();
    }
    const std::string_view valueText = line.token();
    const std::optional<double> value = parseValue(valueText);
    if (!value)
        return valueText.empty() ? "no value" : "bad value \"" + std::string(valueText.substr(0, 40)) + "\"";
    sample.value = *value;
    line.skipBlanks();
    if (line.atEnd())
        return std::nullopt;
    const std::string_view timestampText = line.token();
    sample.timestampMilliseconds = parseTimestamp(timestampText);
    line.skipBlanks();
    if (!sample.timestampMilliseconds || !line.atEnd())
        return "bad timestamp \"" + std::string(timestampText.substr(0, 40)) + "\"";
    return std::nullopt;
}

}  // namespace

std::string_view ExpositionSample::label(std::string_view key) const
{
    for (const auto& [name, value] : labels) {
        if (name == key)
            return value;
    }
    return {};
}

std::variant<ExpositionPage, ExpositionError> parseExposition(std::string_view text)
{
    if (text.size() > largestExpositionPage)
        return ExpositionError{0, "the page is larger than " + std::to_string(largestExpositionPage >> 20) + " MB"};
    ExpositionPage page;
    // Every sample line is at least 4 bytes ("a 1\n"); a node exporter's about 60.
    page.samples.reserve(text.size() / 64);
    size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const size_t end = std::min(text.find('\n'), text.size());
        std::string_view content = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (content.ends_with('\r'))
            content.remove_suffix(1);
        LineReader line(content);
        line.skipBlanks();
        if (line.atEnd())
            continue;
        std::optional<std::string> fault;
        if (line.peek() == '#') {
            fault = commentFault(line);
        } else {
            ExpositionSample sample;
            fault = readSample(line, sample);
            if (!fault && page.samples.size() == largestExpositionSampleCount)
                fault = "more than " + std::to_string(largestExpositionSampleCount) + " samples";
            if (!fault)
                page.samples.push_back(std::move(sample));
        }
        if (fault)
            return ExpositionError{lineNumber, std::move(*fault)};
    }
    return page;
}

}  // namespace moravel
