#include "monitor/linux/TextFields.h"

#include "monitor/linux/TextFile.h"

#include <charconv>

namespace moravel {

std::vector<std::string_view> splitFields(std::string_view line)
{
    std::vector<std::string_view> out;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            out.push_back(line.substr(start, i - start));
    }
    return out;
}

std::string_view FieldCursor::next()
{
    size_t start = 0;
    while (start < rest_.size() && (rest_[start] == ' ' || rest_[start] == '\t'))
        ++start;
    size_t end = start;
    while (end < rest_.size() && rest_[end] != ' ' && rest_[end] != '\t')
        ++end;
    const std::string_view field = rest_.substr(start, end - start);
    rest_.remove_prefix(end);
    return field;
}

std::optional<uint64_t> FieldCursor::nextUnsigned()
{
    return parseWholeUnsigned(next());
}

void FieldCursor::skip(int fields)
{
    for (int i = 0; i < fields; ++i)
        next();
}

std::optional<uint64_t> parseWholeUnsigned(std::string_view text)
{
    text = trimmed(text);
    uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<uint64_t> checkedSum(std::initializer_list<uint64_t> parts)
{
    uint64_t sum = 0;
    for (const uint64_t part : parts) {
        if (__builtin_add_overflow(sum, part, &sum))
            return std::nullopt;
    }
    return sum;
}

}  // namespace moravel
