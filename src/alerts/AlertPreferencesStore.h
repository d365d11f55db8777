#pragma once

#include "alerts/AlertRules.h"

#include <QByteArray>

#include <optional>

namespace moravel {

class DefaultsStore;

// The alert rules as the user set them, one JSON document in the defaults:
// {"cpu":{"enabled":true,"threshold":null},"memory":{...},...}, a null
// threshold meaning the rule's default. Decoding is strict: anything that is
// not JSON, a wrong type or a threshold outside the rule's range rejects the
// whole document. A rule the document does not name keeps its defaults, so a
// rule added later loads older documents unchanged; unknown keys are ignored.
namespace AlertPreferencesStore {

inline constexpr char storageKey[] = "alertPreferences.v1";

QByteArray encode(const AlertPreferences& preferences);
std::optional<AlertPreferences> decode(const QByteArray& json);

// Never fails: a missing or unreadable document gives the defaults, and is
// left as it is until the user changes a rule.
AlertPreferences load(const DefaultsStore& defaults);
// False when the store could not keep it (the store says why).
bool save(const AlertPreferences& preferences, DefaultsStore& defaults);

}  // namespace AlertPreferencesStore

}  // namespace moravel
