#include "views/ExpandedIslandView.h"

#include "island/IslandState.h"
#include "monitor/SystemMonitor.h"

#include <cmath>

namespace moravel {

ExpandedIslandView::ExpandedIslandView(Services services, QWidget* parent) : QWidget(parent), services_(services)
{
    // The process table is only sampled while the dashboard exists.
    services_.monitor.setProcessTelemetryActive(true);
}

ExpandedIslandView::~ExpandedIslandView()
{
    services_.monitor.setProcessTelemetryActive(false);
}

QSize ExpandedIslandView::sizeHint() const
{
    const IslandDisplayGeometry geometry = services_.state.displayGeometry();
    const double extra = geometry.hasNotch() ? std::max(geometry.notchDepth + 8 - 22, 0.0) : 0.0;
    return QSize(580, static_cast<int>(std::ceil(440 + extra)));
}

}  // namespace moravel
