#include "support/PrintableExcerpt.h"

namespace moravel {

QString printableExcerpt(const QString& value, qsizetype limit)
{
    QString shown;
    qsizetype i = 0;
    while (i < value.size() && shown.size() < limit) {
        // Whole code points: an emoji's two halves are printable together, not alone.
        const bool isPair = value[i].isHighSurrogate() && i + 1 < value.size() && value[i + 1].isLowSurrogate();
        const char32_t c = isPair ? QChar::surrogateToUcs4(value[i], value[i + 1]) : value[i].unicode();
        const qsizetype width = isPair ? 2 : 1;
        if (QChar::isPrint(c))
            shown += QStringView(value).mid(i, width);
        else
            shown += u'?';
        i += width;
    }
    return i < value.size() ? shown + QStringLiteral("...") : shown;
}

}  // namespace moravel
