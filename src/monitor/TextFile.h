#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace moravel {

// The thin file-reading shell under the readers: whole small files from /proc
// and /sys, read with plain system calls (no buffering layers, no allocation
// beyond the returned text).
std::optional<std::string> readTextFile(const std::string& path, size_t limit = 1 << 20);
bool pathExists(const std::string& path);

// Decimal unsigned number at the start of `text` (leading blanks skipped);
// nothing when there are no digits or the value does not fit.
std::optional<uint64_t> parseUnsigned(std::string_view text);
std::optional<int64_t> parseSigned(std::string_view text);

std::string_view trimmed(std::string_view text);

}  // namespace moravel
