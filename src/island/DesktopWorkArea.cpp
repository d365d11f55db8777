#include "island/DesktopWorkArea.h"

#include <algorithm>

namespace moravel {

namespace {

constexpr int partialValueCount = 12;
constexpr int fullEdgeValueCount = 4;

int asInt(quint32 value)
{
    // Values past a screen's size are nonsense; keep them from wrapping negative.
    return static_cast<int>(std::min<quint32>(value, 1u << 20));
}

// The area of `monitor` covered by the GTK work area that overlaps it most.
std::optional<QRect> gtkAreaOf(const QRect& monitor, const QList<QRect>& areas)
{
    std::optional<QRect> best;
    qint64 bestOverlap = 0;
    for (const QRect& area : areas) {
        const QRect overlap = area.intersected(monitor);
        const qint64 size = qint64(overlap.width()) * overlap.height();
        if (!overlap.isEmpty() && size > bestOverlap) {
            best = overlap;
            bestOverlap = size;
        }
    }
    return best;
}

struct EdgeReservation {
    Qt::Edge edge;
    QRect rect;  // root coordinates
};

QList<EdgeReservation> reservedRects(const Strut& s, const QSize& root)
{
    QList<EdgeReservation> reserved;
    const auto add = [&reserved](int depth, Qt::Edge edge, QPoint from, QPoint to) {
        const QRect rect(from, to);
        if (depth > 0 && rect.isValid())
            reserved.append({edge, rect});
    };
    add(s.top, Qt::TopEdge, {s.topStartX, 0}, {s.topEndX, s.top - 1});
    add(s.left, Qt::LeftEdge, {0, s.leftStartY}, {s.left - 1, s.leftEndY});
    add(s.bottom, Qt::BottomEdge, {s.bottomStartX, root.height() - s.bottom}, {s.bottomEndX, root.height() - 1});
    add(s.right, Qt::RightEdge, {root.width() - s.right, s.rightStartY}, {root.width() - 1, s.rightEndY});
    return reserved;
}

QRect withoutStruts(const QRect& monitor, const DesktopReservations& reservations)
{
    QRect area = monitor;
    for (const Strut& strut : reservations.struts) {
        for (const auto& [edge, rect] : reservedRects(strut, reservations.rootSize)) {
            // A panel on another monitor along the same root edge reserves nothing here.
            if (!rect.intersects(monitor))
                continue;
            switch (edge) {
            case Qt::TopEdge: area.setTop(std::max(area.top(), rect.bottom() + 1)); break;
            case Qt::LeftEdge: area.setLeft(std::max(area.left(), rect.right() + 1)); break;
            case Qt::BottomEdge: area.setBottom(std::min(area.bottom(), rect.top() - 1)); break;
            case Qt::RightEdge: area.setRight(std::min(area.right(), rect.left() - 1)); break;
            }
        }
    }
    return area;
}

}  // namespace

std::optional<Strut> Strut::fromPartial(const QList<quint32>& v)
{
    if (v.size() != partialValueCount)
        return std::nullopt;
    Strut s;
    s.left = asInt(v[0]), s.right = asInt(v[1]), s.top = asInt(v[2]), s.bottom = asInt(v[3]);
    s.leftStartY = asInt(v[4]), s.leftEndY = asInt(v[5]), s.rightStartY = asInt(v[6]), s.rightEndY = asInt(v[7]);
    s.topStartX = asInt(v[8]), s.topEndX = asInt(v[9]), s.bottomStartX = asInt(v[10]), s.bottomEndX = asInt(v[11]);
    return s;
}

std::optional<Strut> Strut::fromFullEdges(const QList<quint32>& v, const QSize& rootSize)
{
    if (v.size() != fullEdgeValueCount)
        return std::nullopt;
    const int lastX = rootSize.width() - 1, lastY = rootSize.height() - 1;
    return Strut{asInt(v[0]), asInt(v[1]), asInt(v[2]), asInt(v[3]), 0, lastY, 0, lastY, 0, lastX, 0, lastX};
}

QList<quint32> Strut::toPartial() const
{
    QList<quint32> values;
    for (int value : {left, right, top, bottom, leftStartY, leftEndY, rightStartY, rightEndY, topStartX, topEndX,
                      bottomStartX, bottomEndX})
        values.append(static_cast<quint32>(std::max(value, 0)));
    return values;
}

QRect monitorWorkArea(const QRect& monitor, const DesktopReservations& reservations,
                      const std::optional<QRect>& ownReservation)
{
    QRect area = monitor;
    if (reservations.gtkWorkAreas) {
        area = gtkAreaOf(monitor, *reservations.gtkWorkAreas).value_or(QRect());
        // The island's own strut pushed the area's top to the island's bottom edge.
        if (ownReservation && ownReservation->intersects(monitor) && area.top() == ownReservation->bottom() + 1)
            area.setTop(ownReservation->top());
    } else {
        area = withoutStruts(monitor, reservations);
    }
    return area.isEmpty() ? monitor : area;
}

Strut islandStrut(const QRect& frame)
{
    Strut strut;
    strut.top = std::max(frame.bottom() + 1, 0);
    strut.topStartX = frame.left();
    strut.topEndX = frame.right();
    return strut;
}

}  // namespace moravel
