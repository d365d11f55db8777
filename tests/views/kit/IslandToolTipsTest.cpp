#include "ViewTestSupport.h"

#include "island/IslandState.h"
#include "views/collapsed/CollapsedIslandView.h"
#include "views/dashboard/ExpandedHeader.h"
#include "views/dashboard/ExpandedIslandView.h"
#include "views/kit/IslandIconButton.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandToolTips.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHelpEvent>
#include <QToolTip>

#include <gtest/gtest.h>

namespace moravel {
namespace {

using testing::countPixels;
using testing::hover;

class IslandToolTipsTest : public ::testing::Test, protected testing::ViewServices {
protected:
    IslandState state{defaults, scheduler, std::nullopt};
};

// The help texts of the collapsed power reading, the pin and the gear show
// once the pointer has rested on them, over windows that are not active,
// drawn dark with the island's edge; they go as the pointer moves off. The
// toolkit's own box never shows.
TEST_F(IslandToolTipsTest, HelpTextsShowOnHoverInTheIslandsColours)
{
    putOnBattery(80, true);
    CollapsedIslandView collapsed(monitor, state, scheduler);
    collapsed.resize(600, 40);
    collapsed.show();
    ExpandedIslandView expanded(
        ExpandedIslandView::Services{monitor, state, updater, coordinator, scheduler, loginItem});
    state.requestExpansion();
    scheduler.advance(IslandState::contentDelay);
    expanded.finishTransitions();
    expanded.resize(expanded.sizeHint());
    expanded.show();
    IslandToolTips tips(scheduler);
    QAbstractButton& pin = *expanded.header()->pinButton();
    QAbstractButton& gear = *expanded.header()->settingsButton();
    const auto centreOf = [&](MetricKind kind) {
        return collapsed.readingLayout().readingRect(kind)->center().toPoint();
    };

    const struct {
        QWidget& widget;
        QPoint at;
        const char* text;  // "": none
    } rows[] = {
        {collapsed, centreOf(MetricKind::power),
         "SYS is estimated computer load from AC power; battery charging is shown in the expanded view."},
        {collapsed, centreOf(MetricKind::cpu), ""},
        {pin, pin.rect().center(), "Keep island open"},
        {gear, gear.rect().center(), "Settings"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        ASSERT_FALSE(row.widget.window()->isActiveWindow());
        hover(row.widget, row.at);
        scheduler.advance(IslandToolTips::delaySeconds * 0.5);
        hover(row.widget, row.at + QPoint(1, 0));  // not resting yet: the wait starts again
        scheduler.advance(IslandToolTips::delaySeconds * 0.9);
        EXPECT_EQ(tips.shownText(), "");
        scheduler.advance(IslandToolTips::delaySeconds * 0.2);
        EXPECT_EQ(tips.shownText(), QString::fromUtf8(row.text));
        hover(row.widget, row.at);  // still over it
        EXPECT_EQ(tips.shownText(), QString::fromUtf8(row.text));
        hover(*row.widget.window(), QPoint(0, 0));
        EXPECT_EQ(tips.shownText(), "");
    }

    hover(gear, gear.rect().center());
    scheduler.advance(IslandToolTips::delaySeconds);
    const QImage tip = tips.window().grab().toImage();
    const double edge = IslandPalette::edge().alphaF();
    EXPECT_EQ(countPixels(tip, QColor::fromRgbF(edge, edge, edge), QRect(0, tip.height() / 2, 1, 1), 4), 1);
    EXPECT_EQ(countPixels(tip, IslandPalette::background(), QRect(2, 2, 1, 1), 0), 1);
    const double text = IslandPalette::primary().alphaF();
    EXPECT_GT(countPixels(tip, QColor::fromRgbF(text, text, text), 70), 10);

    QHelpEvent help(QEvent::ToolTip, gear.rect().center(), gear.mapToGlobal(gear.rect().center()));
    QApplication::sendEvent(&gear, &help);
    EXPECT_FALSE(QToolTip::isVisible());
}

}  // namespace
}  // namespace moravel
