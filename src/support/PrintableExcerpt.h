#pragma once

#include <QString>

namespace moravel {

// Names from outside Moravel (a process's, a sensor's, a graphics card's, a
// label on another machine's page) are shown at most this long.
inline constexpr qsizetype longestShownName = 64;

// `value` as it may be echoed on one terminal line or shown on screen:
// characters that are not printable (controls, escapes) shown as '?', and
// only the first `limit` characters followed by "...", so that a huge or
// hostile value cannot flood the output or steer the terminal.
QString printableExcerpt(const QString& value, qsizetype limit = 40);

}  // namespace moravel
