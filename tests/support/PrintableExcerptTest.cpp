#include "support/PrintableExcerpt.h"

#include <gtest/gtest.h>

using namespace moravel;

// Text from outside comes out on one line, short, with nothing a terminal
// would act on; printable characters of any script stay as they are.
TEST(PrintableExcerpt, ReplacesWhatIsNotPrintableAndCutsLongText)
{
    const struct {
        QString value;
        qsizetype limit;
        QString shown;
    } rows[] = {
        {"\x1b[2Jclear\r\nscreen\a", 40, "?[2Jclear??screen?"},
        {QString::fromUtf16(u"caf\u00e9 \u2713 \U0001F600 \u009b31m"), 40,
         QString::fromUtf16(u"caf\u00e9 \u2713 \U0001F600 ?31m")},
        {QString(100'000, u'x'), 5, "xxxxx..."},
        {"exact", 5, "exact"},
        {QString::fromUtf16(u"\U0001F600\U0001F600"), 2, QString::fromUtf16(u"\U0001F600...")},
    };
    for (const auto& row : rows)
        EXPECT_EQ(printableExcerpt(row.value, row.limit), row.shown) << row.value.left(20).toStdString();
}
