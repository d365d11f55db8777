#include "island/IslandDisplayGeometry.h"
#include "island/NotchEnvironment.h"

#include <gtest/gtest.h>

using namespace moravel;
using K = MetricKind;

namespace {

const QList<K> allFour{K::network, K::cpu, K::memory, K::power};

ScreenDescription notchedScreen(double leftMaxX, double rightMinX, double inset = 32)
{
    return {QRectF(0, 0, 1512, 982), inset, QRectF(0, 0, leftMaxX, inset),
            QRectF(rightMinX, 0, 1512 - rightMinX, inset)};
}

}  // namespace

TEST(IslandDisplayGeometry, MeasuresTheGapBetweenTheAuxiliaryAreas)
{
    ScreenDescription noRight = notchedScreen(656, 856);
    noRight.auxiliaryTopRightArea.reset();
    ScreenDescription noLeft = notchedScreen(656, 856);
    noLeft.auxiliaryTopLeftArea.reset();
    const std::pair<std::optional<ScreenDescription>, IslandDisplayGeometry> rows[] = {
        {notchedScreen(656, 856), {200, 32}}, {std::nullopt, {}},           {noRight, {}}, {noLeft, {}},
        {notchedScreen(656, 856, 0), {}},     {notchedScreen(700, 700), {}}, {notchedScreen(800, 700), {}},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(IslandDisplayGeometry::measure(rows[i].first), rows[i].second) << "row " << i;
}

// Around a notch the panel grows by its shoulders (at most 10 on each side);
// without one it keeps a minimum width and the default height. Every reading
// is taken as 94 points wide here, so the sizes follow from the padding alone.
TEST(IslandDisplayGeometry, PanelSizes)
{
    const IslandDisplayGeometry none, notch{200, 32}, shallow{180, 10}, deep{180, 50};
    const CollapsedMetricLayout::WidthOf each94 = [](K) { return 94.0; };
    const struct {
        IslandDisplayGeometry geometry;
        bool expanded;
        QList<K> kinds;
        QSizeF size;
    } rows[] = {
        {notch, false, allFour, {672.84, 32}},  // 200 + 18 + 2 * (2 * 94 + 17) + 28 + 2 * 32 / 3.8
        {notch, true, allFour, {596.84, 458}},
        {none, false, {}, {112, 40}},          {none, false, {K::power}, {124, 40}},
        {none, false, allFour, {457, 40}},  // one row: 4 * 94 + 3 * 17 + 30
        {none, true, allFour, {580, 440}},     {{200, 0}, true, {}, {580, 440}},   // no depth, no notch
        {shallow, true, allFour, {585.26, 440}}, {deep, true, {}, {600, 476}},
        {deep, false, {K::power}, {434, 50}},  // one reading on the left, an empty but equally wide right
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.geometry.notchWidth << 'x' << row.geometry.notchDepth << ' '
                                          << row.expanded << ' ' << row.kinds.size());
        const QSizeF size = row.geometry.panelSize(row.expanded, row.kinds, each94);
        EXPECT_NEAR(size.width(), row.size.width(), 0.005);
        EXPECT_EQ(size.height(), row.size.height());
    }
    EXPECT_EQ(notch.collapsedSize(allFour, each94), QSizeF(656, 32));
}

// WIDTHxDEPTH in plain figures, no wider than the screen; anything else is
// ignored with one line saying what was expected. Unset or empty: no notch, no word.
TEST(NotchEnvironment, ParsesWidthByDepthAndExplainsAnyOtherValue)
{
    EXPECT_EQ(parseNotchEnvironment(QStringLiteral("185.5x32.25")).declaration, (NotchDeclaration{185.5, 32.25}));
    EXPECT_EQ(parseNotchEnvironment(QStringLiteral("1920x32"), 1920).declaration, (NotchDeclaration{1920, 32}));
    for (const std::optional<QString>& unset : {std::optional<QString>{}, std::optional<QString>{QString()}}) {
        const NotchEnvironment parsed = parseNotchEnvironment(unset);
        EXPECT_TRUE(!parsed.declaration && parsed.errorMessage.isEmpty());
    }
    const QStringList wrong{"200", "x32", "200X32", " 200x32", "-200x32", "0x32", "200x32x4", "1e3x32", "99999x32",
                            "200x999", "200x32px", QString::fromUtf8("２００x32"), QString(5000, u'9'), "%3x%4"};
    for (const QString& value : wrong) {
        const NotchEnvironment parsed = parseNotchEnvironment(value);
        EXPECT_FALSE(parsed.declaration) << value.toStdString();
        EXPECT_TRUE(parsed.errorMessage.contains("MORAVEL_NOTCH") && parsed.errorMessage.contains("WIDTHxDEPTH")
                    && !parsed.errorMessage.contains(u'\n') && parsed.errorMessage.size() < 200)
            << parsed.errorMessage.toStdString();
    }
    EXPECT_TRUE(parseNotchEnvironment(QStringLiteral("%3x%4")).errorMessage.contains(QStringLiteral("\"%3x%4\"")));
    // Wider than the screen it is on: the island would hang off both sides.
    const NotchEnvironment tooWide = parseNotchEnvironment(QStringLiteral("2500x32"), 1920);
    EXPECT_FALSE(tooWide.declaration);
    EXPECT_TRUE(tooWide.errorMessage.contains(QStringLiteral("WIDTH up to 1920,")));
}

TEST(NotchEnvironment, DeclaredNotchIsCentredOnThePrimaryScreen)
{
    const ScreenDescription plain{QRectF(1920, 0, 1512, 982), 0, std::nullopt, std::nullopt};
    const ScreenDescription declared = withDeclaredNotch(plain, {200, 32});
    EXPECT_EQ(declared.topInset, 32);
    EXPECT_EQ(declared.auxiliaryTopLeftArea, QRectF(1920, 0, 656, 32));
    EXPECT_EQ(declared.auxiliaryTopRightArea, QRectF(1920 + 856, 0, 656, 32));

    // A notch wider than the screen is narrowed to the screen.
    const ScreenDescription narrow{QRectF(0, 0, 150, 100), 0, std::nullopt, std::nullopt};
    EXPECT_EQ(IslandDisplayGeometry::measure(withDeclaredNotch(narrow, {400, 20})), (IslandDisplayGeometry{150, 20}));
}
