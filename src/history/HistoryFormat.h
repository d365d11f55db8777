#pragma once

#include "history/MinuteBuckets.h"

#include <QByteArray>

#include <variant>

namespace moravel {

// The kept history as one JSON document, series named by their JSON names so
// that a series added or dropped later never makes a file unreadable:
//
//   {"format":"moravel-history","version":1,"series":["cpuPercent",...],
//    "minutes":[[1767268800,60,[2.5,11.25,87],null,...],...]}
//
// Each minute holds its start, its sample count, then per named series
// [min, mean, max] or null. Figures are rounded to what a chart can show,
// which keeps a full day of every series well under 1 MB.
namespace HistoryFormat {

inline constexpr int version = 1;

enum class Unreadable { corrupt, newerVersion };

QByteArray encode(const QList<MinuteBucket>& buckets);
// The minutes of the 24 hours up to `nowSeconds`, oldest first, minutes of the
// same start merged; in time proportional to the document, whatever the order
// of its minutes. Series of unknown names are left out; anything malformed
// makes the whole document unreadable.
std::variant<QList<MinuteBucket>, Unreadable> decode(const QByteArray& json, qint64 nowSeconds);

// One line of `moravel --history`: "time" (ISO 8601, UTC), then each series'
// mean under its JSON name and its extremes under NAMEMin and NAMEMax, null
// where the minute has no value.
QByteArray jsonLine(const MinuteBucket& bucket);

}  // namespace HistoryFormat

}  // namespace moravel
