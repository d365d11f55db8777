#pragma once

#include "views/kit/IslandScale.h"

namespace moravel::DashboardLayout {

// The open island and the column its sections share, in points.
inline constexpr int viewWidth = 580;
inline constexpr int sidePadding = 16;
inline constexpr int contentWidth = viewWidth - 2 * sidePadding;

// The column's width in logical pixels, at the island's size factor.
inline int contentPixels()
{
    return pxInt(contentWidth);
}

}  // namespace moravel::DashboardLayout
