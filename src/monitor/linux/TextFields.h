#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <vector>

namespace moravel {

// Splits a line on blanks and tabs, skipping runs of them.
std::vector<std::string_view> splitFields(std::string_view line);

// The same fields one at a time, for lines read every second: no allocation.
class FieldCursor {
public:
    explicit FieldCursor(std::string_view line) : rest_(line) {}
    // The next field; empty once the line is used up.
    std::string_view next();
    // The next field as a whole decimal unsigned number; nothing when it is
    // missing or not one.
    std::optional<uint64_t> nextUnsigned();
    void skip(int fields);

private:
    std::string_view rest_;
};

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

// A whole decimal unsigned number, blanks and a newline around it allowed;
// nothing for anything else ("12abc", "-1", "", too large).
std::optional<uint64_t> parseWholeUnsigned(std::string_view text);

// Nothing when the sum does not fit: counters that large are garbage.
std::optional<uint64_t> checkedSum(std::initializer_list<uint64_t> parts);

}  // namespace moravel
