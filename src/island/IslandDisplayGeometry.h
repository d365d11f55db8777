#pragma once

#include "island/CollapsedMetricLayout.h"

#include <QRectF>
#include <QSizeF>

#include <optional>

namespace moravel {

// What the island needs to know about one screen, in screen coordinates
// (points, y growing downwards). The auxiliary areas are the strips of the top
// edge left and right of a camera cut-out; a screen without one has neither.
struct ScreenDescription {
    QRectF frame;
    double topInset = 0;
    std::optional<QRectF> auxiliaryTopLeftArea;
    std::optional<QRectF> auxiliaryTopRightArea;

    friend bool operator==(const ScreenDescription&, const ScreenDescription&) = default;
};

// The notch of one screen and the panel sizes derived from it. The zero
// geometry stands for a screen without a notch.
//
// Sizes are in points, drawn at `scale` logical pixels each: the island's
// size factor, like a browser's zoom. The notch is the screen's own and is
// not scaled: the island's outline stays on it.
struct IslandDisplayGeometry {
    double notchWidth = 0;
    double notchDepth = 0;
    double scale = 1;

    // Measures the cut-out between the two auxiliary areas; zero for no screen,
    // no top inset, a missing area, or areas that touch or overlap.
    static IslandDisplayGeometry measure(const std::optional<ScreenDescription>& screen);

    bool hasNotch() const { return notchWidth > 0 && notchDepth > 0; }
    // The corner radius of the notch outline, which is also the width of each
    // shoulder added beside the panel: min(depth / 3.8, 10); 0 without a notch.
    double shoulderWidth() const;

    // The collapsed island for the visible kinds, in list order, each as wide
    // as `widthOf` says (none: its width in the reading table).
    QSizeF collapsedSize(const QList<MetricKind>& visibleKinds,
                         const CollapsedMetricLayout::WidthOf& widthOf = {}) const;
    // The open island's content: 580 by 440 points, deeper below a notch.
    QSizeF expandedSize() const;
    // Room between the top of the open island and its first row: 8 below the
    // camera cut-out on a notched screen, else 22 points.
    double expandedTopPadding() const;
    // The panel in either state, shoulders included.
    QSizeF panelSize(bool expanded, const QList<MetricKind>& visibleKinds,
                     const CollapsedMetricLayout::WidthOf& widthOf = {}) const;

    friend bool operator==(const IslandDisplayGeometry&, const IslandDisplayGeometry&) = default;
};

}  // namespace moravel
