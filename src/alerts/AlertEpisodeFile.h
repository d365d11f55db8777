#pragma once

#include "alerts/AlertRules.h"

#include <QList>
#include <QString>

namespace moravel {

// The episodes that have warned and not yet settled, kept across restarts in
// $XDG_STATE_HOME/Moravel/alerts.json (by default
// ~/.local/state/Moravel/alerts.json), so that starting again does not warn
// again about a battery that stayed low. The folder is 0700, the file 0600.
namespace AlertEpisodeFile {

QString defaultPath();

// Nothing for a missing file, and for one that cannot be read or understood:
// at worst an alert is shown once more.
QList<AlertEpisode> read(const QString& path);

// Replaces the file in one step. False when it cannot be written.
bool write(const QString& path, const QList<AlertEpisode>& episodes);

}  // namespace AlertEpisodeFile

}  // namespace moravel
