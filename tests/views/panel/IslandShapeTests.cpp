#include "views/panel/IslandHardwareBackground.h"
#include "views/kit/IslandIconButton.h"
#include "views/kit/IslandPalette.h"
#include "views/panel/NotchHardwareShape.h"
#include "views/kit/SymbolIcons.h"

#include "ViewTestSupport.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>

#include <gtest/gtest.h>

namespace moravel {
namespace {

// The corner points of the outline: move/line targets and curve end points.
QList<QPointF> outlineCorners(const QPainterPath& path)
{
    QList<QPointF> corners;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element element = path.elementAt(i);
        if (element.type == QPainterPath::CurveToElement) {
            corners.append(path.elementAt(i + 2));
            i += 2;
        } else {
            corners.append(element);
        }
    }
    return corners;
}

QList<QPointF> expectedCorners(const QRectF& r, double s, double b)
{
    return {{r.left(), r.top()},          {r.right(), r.top()},          {r.right() - s, r.top() + s},
            {r.right() - s, r.bottom() - b}, {r.right() - s - b, r.bottom()}, {r.left() + s + b, r.bottom()},
            {r.left() + s, r.bottom() - b},  {r.left() + s, r.top() + s},    {r.left(), r.top()}};
}

TEST(NotchHardwareShape, FlareAndCornerSizesFollowTheRectangle)
{
    const QRectF wide(0, 0, 200, 40);
    EXPECT_EQ(outlineCorners(NotchHardwareShape::path(wide, 10)), expectedCorners(wide, 10, 10));
    const QRectF shallow(5, 3, 200, 12);
    EXPECT_EQ(outlineCorners(NotchHardwareShape::path(shallow, 10)), expectedCorners(shallow, 4, 4));
    const QRectF narrow(0, 0, 24, 100);
    EXPECT_EQ(outlineCorners(NotchHardwareShape::path(narrow, 10)), expectedCorners(narrow, 6, 10));
}

TEST(NotchHardwareShape, FlareControlPointsAndRadiusFromNotchDepth)
{
    const QPainterPath path = NotchHardwareShape::path(QRectF(0, 0, 200, 40), 10);
    EXPECT_EQ(QPointF(path.elementAt(2)), QPointF(194.5, 0));
    EXPECT_EQ(QPointF(path.elementAt(3)), QPointF(190, 4.5));
    EXPECT_DOUBLE_EQ(NotchHardwareShape::radiusForNotchDepth(38), 10);
    EXPECT_NEAR(NotchHardwareShape::radiusForNotchDepth(30), 7.89, 0.01);
    EXPECT_DOUBLE_EQ(NotchHardwareShape::radiusForNotchDepth(60), 10);
}

TEST(IslandBackgroundRender, BlackInsideClearOutsideFlaredOnlyWithANotch)
{
    testing::ensureViewApplication();
    const QRgb black = qRgba(0, 0, 0, 255);
    IslandHardwareBackground background;
    background.resize(220, 40);
    background.setNotch(180, 38);
    QImage image = testing::renderWidget(background);
    EXPECT_EQ(image.pixel(110, 20), black);
    EXPECT_EQ(image.pixel(6, 0), black);        // the flare meets the top edge
    EXPECT_EQ(qAlpha(image.pixel(9, 15)), 0);   // below the flare the body narrows
    EXPECT_EQ(image.pixel(10, 15), black);
    EXPECT_EQ(qAlpha(image.pixel(217, 30)), 0);  // beside the body, under the flare
    EXPECT_EQ(qAlpha(image.pixel(11, 39)), 0);   // the rounded bottom corner

    background.setNotch(0, 38);
    image = testing::renderWidget(background);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);  // rounded, not flared
    EXPECT_EQ(image.pixel(217, 30), black);
}

TEST(SymbolIcons, TableCoversTheViewsNames)
{
    for (const char* name : {"wifi", "cpu", "memorychip", "bolt.fill", "powerplug.fill", "battery.0percent",
                             "battery.25percent", "battery.50percent", "battery.75percent", "battery.100percent",
                             "pin", "pin.fill", "gearshape", "waveform.path.ecg", "internaldrive", "app.fill",
                             "laptopcomputer", "arrow.right", "chevron.down", "chevron.right", "checkmark.circle.fill",
                             "line.3.horizontal"}) {
        EXPECT_TRUE(symbolGlyph(QString::fromLatin1(name)).has_value()) << name;
    }
    EXPECT_FALSE(symbolGlyph(u"no.such.symbol").has_value());
}

class SymbolFontRender : public ::testing::Test {
protected:
    void SetUp() override { testing::ensureViewApplication(); }

    static QImage drawn(const SymbolFont& font, const QString& name)
    {
        QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        font.draw(painter, name, QRectF(0, 0, 32, 32), 15, Qt::white);
        return image;
    }
};

TEST_F(SymbolFontRender, InstalledFontDrawsGlyphsAndAMissingOneNothing)
{
    const SymbolFont& font = SymbolFont::shared();
    ASSERT_TRUE(font.isAvailable());
    EXPECT_GT(testing::countPixels(drawn(font, "gearshape"), Qt::white, 60), 20);
    EXPECT_EQ(testing::countPixels(drawn(font, "no.such.symbol"), Qt::white, 255), 0);
    const SymbolFont missing(QStringLiteral("/nonexistent/MaterialIcons-Regular.ttf"));
    EXPECT_FALSE(missing.isAvailable());
    EXPECT_EQ(testing::countPixels(drawn(missing, "gearshape"), Qt::white, 255), 0);
}

TEST_F(SymbolFontRender, IconButtonShowsSurfaceOnlyWhilePressedAndReactsOnlyInsideItsCircle)
{
    IslandIconButton button(QStringLiteral("pin"));
    EXPECT_EQ(button.size(), QSize(24, 24));
    const auto corner = [&] { return qAlpha(testing::renderWidget(button).pixel(12, 2)); };
    EXPECT_EQ(corner(), 0);
    button.setDown(true);
    EXPECT_GT(corner(), 0);
    button.setDown(false);

    int clicks = 0;
    QObject::connect(&button, &QAbstractButton::clicked, [&] { ++clicks; });
    for (const QPointF at : {QPointF(1, 1), QPointF(12, 12)}) {
        QMouseEvent press(QEvent::MouseButtonPress, at, button.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&button, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, button.mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(&button, &release);
    }
    EXPECT_EQ(clicks, 1);  // the corner click missed
}

}  // namespace
}  // namespace moravel
