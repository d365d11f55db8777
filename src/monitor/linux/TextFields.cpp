#include "monitor/linux/TextFields.h"

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
