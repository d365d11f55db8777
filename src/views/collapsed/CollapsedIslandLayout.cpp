#include "views/collapsed/CollapsedIslandLayout.h"

#include "island/CollapsedMetricLayout.h"

namespace moravel {

namespace {

enum class RowAlignment { leading, centre, trailing };

// Lays one run of readings into `row` (a strip of the line's full height),
// with a separator between neighbours.
void placeRow(CollapsedIslandLayout& layout, const QList<MetricKind>& kinds, const QRectF& row,
              RowAlignment alignment, double readingHeight, const CollapsedMetricLayout::WidthOf& widthOf,
              double scale)
{
    if (kinds.isEmpty())
        return;
    const double contentWidth = CollapsedMetricLayout::rowWidth(kinds, widthOf) * scale;
    double x = row.left();
    if (alignment == RowAlignment::trailing)
        x = row.right() - contentWidth;
    else if (alignment == RowAlignment::centre)
        x = row.center().x() - contentWidth / 2;

    const double centreY = row.center().y();
    for (qsizetype index = 0; index < kinds.size(); ++index) {
        if (index > 0) {
            x += CollapsedIslandLayout::readingSpacing * scale;
            const double height = CollapsedIslandLayout::separatorHeight * scale;
            layout.separators.append(
                QRectF(x, centreY - height / 2, CollapsedIslandLayout::separatorWidth * scale, height));
            x += (CollapsedIslandLayout::separatorWidth + CollapsedIslandLayout::readingSpacing) * scale;
        }
        const double width = (widthOf ? widthOf(kinds[index]) : CollapsedMetricLayout::rowWidth(kinds[index])) * scale;
        layout.readings.append({kinds[index], QRectF(x, centreY - readingHeight / 2, width, readingHeight)});
        x += width;
    }
}

}  // namespace

CollapsedIslandLayout CollapsedIslandLayout::make(const IslandDisplayGeometry& geometry,
                                                  const QList<MetricKind>& kinds,
                                                  const CollapsedMetricLayout::WidthOf& widthOf, const QRectF& bounds,
                                                  double readingHeight)
{
    CollapsedIslandLayout layout;
    const double scale = geometry.scale;
    const QSizeF size = geometry.collapsedSize(kinds, widthOf);
    layout.frame = QRectF(bounds.center().x() - size.width() / 2, bounds.top(), size.width(), size.height());

    if (!geometry.hasNotch()) {
        const QRectF row = layout.frame.adjusted(compactPadding * scale, 0, -compactPadding * scale, 0);
        placeRow(layout, kinds, row, RowAlignment::centre, readingHeight, widthOf, scale);
        return layout;
    }

    // The two runs share what the padding and the camera gap leave, so each
    // side is as wide as the wider run and the gap stays over the camera.
    const QRectF line = layout.frame.adjusted(notchPadding * scale, 0, -notchPadding * scale, 0);
    const double gapWidth = geometry.notchWidth + notchGapExtra * scale;
    const double side = (line.width() - gapWidth) / 2;
    const CollapsedMetricLayout::Split split = CollapsedMetricLayout::splitAroundNotch(kinds, widthOf);
    const QRectF leftRow(line.left(), line.top(), side, line.height());
    layout.notchGap = QRectF(leftRow.right(), line.top(), gapWidth, line.height());
    const QRectF rightRow(layout.notchGap->right(), line.top(), side, line.height());
    placeRow(layout, split.left, leftRow, RowAlignment::trailing, readingHeight, widthOf, scale);
    placeRow(layout, split.right, rightRow, RowAlignment::leading, readingHeight, widthOf, scale);
    return layout;
}

std::optional<QRectF> CollapsedIslandLayout::readingRect(MetricKind kind) const
{
    for (const Reading& reading : readings) {
        if (reading.kind == kind)
            return reading.rect;
    }
    return std::nullopt;
}

}  // namespace moravel
