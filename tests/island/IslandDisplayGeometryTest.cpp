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

TEST(IslandDisplayGeometry, WorkedExampleWithAllFourReadings)
{
    const IslandDisplayGeometry geometry{200, 32};
    EXPECT_EQ(geometry.collapsedSize(allFour), QSizeF(564, 32));
    const QSizeF collapsed = geometry.panelSize(false, allFour);
    EXPECT_NEAR(collapsed.width(), 580.84, 0.005);
    EXPECT_EQ(collapsed.height(), 32);
    const QSizeF expanded = geometry.panelSize(true, allFour);
    EXPECT_NEAR(expanded.width(), 596.84, 0.005);
    EXPECT_EQ(expanded.height(), 458);
}

TEST(IslandDisplayGeometry, EdgeCases)
{
    const IslandDisplayGeometry none, shallow{180, 10}, deep{180, 50};
    EXPECT_EQ(none.collapsedSize({}), QSizeF(112, 40));
    EXPECT_EQ(none.collapsedSize({K::power}), QSizeF(124, 40));
    EXPECT_EQ(none.collapsedSize({K::cpu}), QSizeF(112, 40));
    EXPECT_EQ(none.panelSize(false, allFour), QSizeF(361, 40));  // one row, no split: 331 + 30
    EXPECT_EQ(none.panelSize(true, allFour), QSizeF(580, 440));
    EXPECT_EQ((IslandDisplayGeometry{200, 0}).panelSize(true, {}), QSizeF(580, 440));  // no depth, no notch
    EXPECT_EQ(shallow.panelSize(true, allFour).height(), 440);
    EXPECT_NEAR(shallow.panelSize(true, allFour).width(), 580 + 2 * 10 / 3.8, 1e-9);
    EXPECT_EQ(deep.panelSize(true, {}), QSizeF(600, 440 + 36));  // shoulders capped at 10
    // One reading on the left, an empty but equally wide right side.
    EXPECT_EQ(deep.panelSize(false, {K::power}), QSizeF(180 + 18 + 2 * 94 + 28 + 20, 50));
}

TEST(NotchEnvironment, ParsesWidthByDepth)
{
    EXPECT_EQ(parseNotchEnvironment(QStringLiteral("200x32")).declaration, (NotchDeclaration{200, 32}));
    EXPECT_EQ(parseNotchEnvironment(QStringLiteral("185.5x32.25")).declaration, (NotchDeclaration{185.5, 32.25}));
    EXPECT_EQ(parseNotchEnvironment(QStringLiteral("1920x32"), 1920).declaration, (NotchDeclaration{1920, 32}));
    for (const std::optional<QString>& unset : {std::optional<QString>{}, std::optional<QString>{QString()}}) {
        const NotchEnvironment parsed = parseNotchEnvironment(unset);
        EXPECT_FALSE(parsed.declaration);
        EXPECT_TRUE(parsed.errorMessage.isEmpty());
    }
}

TEST(NotchEnvironment, IgnoresAnyOtherValueWithOneLineSayingWhatWasExpected)
{
    const QStringList wrong{"200", "200x", "x32", "200X32", "200*32", " 200x32", "200x32\n", "-200x32", "200x-32",
                            "0x32", "200x0", "200x32x4", "1e3x32", "99999x32", "200x999", "wide", "200x32px",
                            QString::fromUtf8("２００x32")};
    for (const QString& value : wrong) {
        SCOPED_TRACE(value.toStdString());
        const NotchEnvironment parsed = parseNotchEnvironment(value);
        EXPECT_FALSE(parsed.declaration);
        EXPECT_TRUE(parsed.errorMessage.contains(QStringLiteral("MORAVEL_NOTCH")));
        EXPECT_TRUE(parsed.errorMessage.contains(QStringLiteral("WIDTHxDEPTH")));
        EXPECT_FALSE(parsed.errorMessage.contains(QLatin1Char('\n')));
    }
    // Wider than the screen it is on: the island would hang off both sides.
    const NotchEnvironment tooWide = parseNotchEnvironment(QStringLiteral("2500x32"), 1920);
    EXPECT_FALSE(tooWide.declaration);
    EXPECT_TRUE(tooWide.errorMessage.contains(QStringLiteral("WIDTH up to 1920,")));
    EXPECT_LT(parseNotchEnvironment(QString(5000, QLatin1Char('9'))).errorMessage.size(), 200);
    EXPECT_TRUE(parseNotchEnvironment(QStringLiteral("%3x%4")).errorMessage.contains(QStringLiteral("\"%3x%4\"")));
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
