#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

namespace moravel {

// Splits a line on blanks and tabs, skipping runs of them.
std::vector<std::string_view> splitFields(std::string_view line);

// Calls `visit` with each line of `text` (without its newline) until it
// returns false.
template <typename Visit>
void forEachLine(std::string_view text, Visit visit)
{
    while (!text.empty()) {
        const size_t end = text.find('\n');
        if (!visit(text.substr(0, end)) || end == std::string_view::npos)
            return;
        text.remove_prefix(end + 1);
    }
}

// Nothing when the sum does not fit: counters that large are garbage.
std::optional<uint64_t> checkedSum(std::initializer_list<uint64_t> parts);

}  // namespace moravel
