#pragma once

#include <QString>

#include <compare>
#include <optional>
#include <vector>

namespace moravel {

// A release version such as "1.4.2": numbers separated by dots, compared
// number by number ("1.10" is newer than "1.9"); missing trailing numbers
// count as zero, so "1.4" and "1.4.0" are the same release.
class DottedVersion {
public:
    // None for anything but dot-separated decimal numbers ("1.4 beta", "v2", "1..2").
    static std::optional<DottedVersion> parse(const QString& text);

    const std::vector<quint32>& components() const { return components_; }

    friend std::strong_ordering operator<=>(const DottedVersion& a, const DottedVersion& b);
    friend bool operator==(const DottedVersion& a, const DottedVersion& b)
    {
        return (a <=> b) == std::strong_ordering::equal;
    }

private:
    std::vector<quint32> components_;
};

}  // namespace moravel
