#pragma once

#include "island/WindowSystem.h"

#include <memory>

namespace moravel {

// The desktop the island runs on. Under X11 (XWayland included) it follows
// the root window's _NET_ACTIVE_WINDOW and the active window's _NET_WM_STATE
// as the window manager changes them, and what the panels reserve (their
// struts, and GNOME's per-monitor work areas); elsewhere it only knows
// whether Moravel has the keyboard.
std::unique_ptr<WindowSystem> makeWindowSystem();

}  // namespace moravel
