#pragma once

#include <QString>

namespace moravel {

// The user's base folders. A relative value in the environment is ignored,
// as the XDG base directories have it, so no file of Moravel's ever lands
// relative to whatever folder it was started from.
QString xdgConfigHome();  // $XDG_CONFIG_HOME, else ~/.config
QString xdgStateHome();   // $XDG_STATE_HOME, else ~/.local/state

}  // namespace moravel
