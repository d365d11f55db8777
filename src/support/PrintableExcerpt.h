#pragma once

#include <QString>

namespace moravel {

// `value` as it may be echoed on one terminal line: control characters shown
// as '?', and only the first `limit` characters followed by "...", so that a
// huge or hostile value cannot flood the output.
QString printableExcerpt(const QString& value, qsizetype limit = 40);

}  // namespace moravel
