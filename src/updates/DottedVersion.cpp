#include "updates/DottedVersion.h"

#include <QList>

#include <algorithm>

namespace moravel {

namespace {
// Nine digits always fit in 32 bits; longer numbers are not release numbers.
constexpr qsizetype maxDigitsPerComponent = 9;

bool isDecimalNumber(QStringView part)
{
    return !part.isEmpty() && part.size() <= maxDigitsPerComponent
           && std::all_of(part.begin(), part.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}
}  // namespace

std::optional<DottedVersion> DottedVersion::parse(const QString& text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    DottedVersion version;
    for (QStringView part : QStringView(trimmed).split(u'.')) {
        if (!isDecimalNumber(part))
            return std::nullopt;
        version.components_.push_back(part.toUInt());
    }
    return version;
}

std::strong_ordering operator<=>(const DottedVersion& a, const DottedVersion& b)
{
    const size_t length = std::max(a.components_.size(), b.components_.size());
    for (size_t i = 0; i < length; ++i) {
        const quint32 left = i < a.components_.size() ? a.components_[i] : 0;
        const quint32 right = i < b.components_.size() ? b.components_[i] : 0;
        if (left != right)
            return left <=> right;
    }
    return std::strong_ordering::equal;
}

}  // namespace moravel
