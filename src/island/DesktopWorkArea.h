#pragma once

#include <QList>
#include <QRect>
#include <QSize>

#include <optional>

namespace moravel {

// The room a panel keeps along the edges of the X screen (the root window):
// _NET_WM_STRUT_PARTIAL's twelve values. Each edge's depth is counted from
// that edge of the root window, and its start and end (inclusive) say which
// part of the edge it covers.
struct Strut {
    int left = 0, right = 0, top = 0, bottom = 0;
    int leftStartY = 0, leftEndY = 0, rightStartY = 0, rightEndY = 0;
    int topStartX = 0, topEndX = 0, bottomStartX = 0, bottomEndX = 0;

    // From _NET_WM_STRUT_PARTIAL; nothing unless there are twelve values.
    static std::optional<Strut> fromPartial(const QList<quint32>& values);
    // From the older _NET_WM_STRUT (four depths, each along its whole edge).
    static std::optional<Strut> fromFullEdges(const QList<quint32>& values, const QSize& rootSize);
    QList<quint32> toPartial() const;

    friend bool operator==(const Strut&, const Strut&) = default;
};

// What the desktop's panels reserve, as the X11 window manager and the
// panels publish it.
struct DesktopReservations {
    QSize rootSize;
    // The struts of every window but Moravel's own.
    QList<Strut> struts;
    // GNOME (mutter) publishes a work area per monitor for the current
    // workspace (_GTK_WORKAREAS_D<n>). Its own top bar is no X window and
    // has no strut, so where these are given they are what counts; they
    // include the island's own strut.
    std::optional<QList<QRect>> gtkWorkAreas;

    friend bool operator==(const DesktopReservations&, const DesktopReservations&) = default;
};

// The work area of one monitor: the monitor less what the panels reserve on
// it. `ownReservation` is the collapsed island's frame while the island's own
// strut is published: a per-monitor work area that ends right below it is
// taken as starting where the island hangs, so the island does not push
// itself down. Bad data (an area off the monitor, or nothing left) leaves the
// whole monitor.
QRect monitorWorkArea(const QRect& monitor, const DesktopReservations& reservations,
                      const std::optional<QRect>& ownReservation);

// The strut that keeps windows clear of the collapsed island at `frame`: from
// the root window's top edge down to the island's bottom edge, over its width.
Strut islandStrut(const QRect& frame);

}  // namespace moravel
