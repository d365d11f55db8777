#include "views/dashboard/CpuCoreStrip.h"

#include "views/kit/DashboardLayout.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
#include "views/kit/ReadingColors.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace moravel {

namespace {

constexpr double kRowGap = 3;

qsizetype rowsFor(qsizetype cores)
{
    return (cores + CpuCoreStrip::barsPerRow - 1) / CpuCoreStrip::barsPerRow;
}

}  // namespace

CpuCoreStrip::CpuCoreStrip(QWidget* parent) : QWidget(parent)
{
    setAccessibleName(QStringLiteral("CPU cores"));
}

void CpuCoreStrip::setCores(const QList<double>& percents)
{
    if (percents == cores_)
        return;
    const bool reshaped = rowsFor(percents.size()) != rowsFor(cores_.size());
    cores_ = percents;
    if (reshaped)
        updateGeometry();
    update();
}

int CpuCoreStrip::heightFor(qsizetype cores)
{
    const qsizetype rows = rowsFor(cores);
    if (rows == 0)
        return 0;
    return static_cast<int>(std::ceil(px(2 * padding + rows * barHeight + (rows - 1) * kRowGap)));
}

QSize CpuCoreStrip::sizeHint() const
{
    return {DashboardLayout::contentPixels(), heightFor(cores_.size())};
}

QRectF CpuCoreStrip::barRect(qsizetype index) const
{
    const qsizetype perRow = std::min<qsizetype>(cores_.size(), barsPerRow);
    if (index < 0 || index >= cores_.size() || perRow == 0)
        return {};
    // The bars share the whole width, a gap of a fifth of each, at least a
    // pixel, keeping neighbours apart.
    const double slot = width() / static_cast<double>(perRow);
    const double gap = std::max(1.0, std::min(slot / 5, px(6)));
    const qsizetype row = index / barsPerRow;
    const qsizetype column = index % barsPerRow;
    return {static_cast<double>(column) * slot + gap / 2, px(padding + static_cast<double>(row) * (barHeight + kRowGap)),
            slot - gap, px(barHeight)};
}

void CpuCoreStrip::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QColor track = IslandPalette::withOpacity(Qt::white, 0.08);
    for (qsizetype i = 0; i < cores_.size(); ++i) {
        const QRectF bar = barRect(i);
        const double radius = std::min(px(2), bar.width() / 3);
        painter.setBrush(track);
        painter.drawRoundedRect(bar, radius, radius);
        const double share = std::isfinite(cores_[i]) ? std::clamp(cores_[i] / 100.0, 0.0, 1.0) : 0.0;
        if (share <= 0)
            continue;
        // At least a sliver, so an idle core still reads as a bar of its colour.
        const double filled = std::max(px(1.5), bar.height() * share);
        painter.setBrush(readingColor(MetricKind::cpu, cores_[i]));
        painter.drawRoundedRect(QRectF(bar.left(), bar.bottom() - filled, bar.width(), filled), radius, radius);
    }
}

}  // namespace moravel
