#pragma once

#include "island/DesktopWorkArea.h"
#include "island/WindowSystem.h"

#include <xcb/xcb.h>

#include <QSet>

#include <functional>

namespace moravel {

// Reads what the panels of an X11 desktop reserve: every shown window's
// strut (Moravel's own left out) and GNOME's per-monitor work areas of the
// current workspace. Remembers which windows it looked at, so that their
// owner can follow their property changes.
class X11Reservations {
public:
    X11Reservations(xcb_connection_t* connection, xcb_window_t root, std::function<bool(WindowId)> isOwnWindow);

    DesktopReservations read();
    // The windows the latest read looked at for struts.
    const QSet<WindowId>& candidates() const { return candidates_; }
    // Among them, the override-redirect ones (menus, tooltips): they reserve nothing.
    bool isOverrideRedirect(WindowId window) const { return overrideRedirect_.contains(window); }
    // Whether a property change on the root or on a candidate may change what is reserved.
    bool concerns(xcb_window_t window, xcb_atom_t property) const;

private:
    QSet<WindowId> readCandidates();
    QList<WindowId> childrenFrom(xcb_query_tree_cookie_t request);
    QList<Strut> readStruts(QSize rootSize);

    xcb_connection_t* connection_;
    xcb_window_t root_;
    std::function<bool(WindowId)> isOwnWindow_;
    xcb_atom_t clientListAtom_;
    xcb_atom_t strutAtom_;
    xcb_atom_t strutPartialAtom_;
    xcb_atom_t workAreaAtom_;
    xcb_atom_t currentDesktopAtom_;
    xcb_atom_t gtkWorkAreasAtom_ = XCB_ATOM_NONE;
    QSet<WindowId> candidates_;
    QSet<WindowId> overrideRedirect_;
};

}  // namespace moravel
