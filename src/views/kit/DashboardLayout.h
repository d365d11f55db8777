#pragma once

namespace moravel::DashboardLayout {

// The open island and the column its sections share.
inline constexpr int viewWidth = 580;
inline constexpr int sidePadding = 16;
inline constexpr int contentWidth = viewWidth - 2 * sidePadding;

}  // namespace moravel::DashboardLayout
