#pragma once

#include "island/IslandPreferences.h"

#include <QByteArray>

#include <optional>

namespace moravel {

// The stored JSON forms of the island's choices. Encoding is compact with a
// fixed key order, so the same choices always give the same bytes. Decoding is
// strict: a missing key, a wrong type, an unknown raw value or anything that is
// not JSON rejects the whole document; key order and unknown keys do not matter.
// Any input, however large or deeply nested, is rejected in linear time.

// [{"kind":"cpu","isVisible":true},...]
QByteArray encodeCollapsedMetricPreferences(const CollapsedMetricPreferences& preferences);
std::optional<CollapsedMetricPreferences> decodeCollapsedMetricPreferences(const QByteArray& json);

// {"collapsedMetrics":[...],"expandOnHover":true,"selectedMetric":"Overview","showPowerFlow":true,"size":125}
// "size" is written only once chosen; a document without it (written before
// there was a choice) is read as following the screen, and one with a size
// that is not a whole number keeps the other choices and follows the screen.
QByteArray encodeIslandPreferences(const IslandPreferences& preferences);
std::optional<IslandPreferences> decodeIslandPreferences(const QByteArray& json);

}  // namespace moravel
