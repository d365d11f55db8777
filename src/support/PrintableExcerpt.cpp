#include "support/PrintableExcerpt.h"

namespace moravel {

QString printableExcerpt(const QString& value, qsizetype limit)
{
    QString shown = value.left(limit);
    for (QChar& c : shown) {
        if (!c.isPrint())
            c = QLatin1Char('?');
    }
    return value.size() > limit ? shown + QStringLiteral("...") : shown;
}

}  // namespace moravel
