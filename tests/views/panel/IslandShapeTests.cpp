#include "monitor/ReadingTable.h"
#include "views/kit/IslandIconButton.h"
#include "views/kit/SymbolIcons.h"
#include "views/panel/IslandHardwareBackground.h"
#include "views/panel/NotchHardwareShape.h"

#include "ViewTestSupport.h"

#include <QPainter>

#include <gtest/gtest.h>

namespace moravel {
namespace {

using testing::countPixels;
using testing::renderWidget;

TEST(IslandBackgroundRender, BlackInsideClearOutsideFlaredOnlyWithANotch)
{
    const QRgb black = qRgba(0, 0, 0, 255);
    IslandHardwareBackground background;
    background.resize(220, 40);
    background.setNotch(180, 38);
    QImage image = renderWidget(background);
    EXPECT_EQ(image.pixel(110, 20), black);
    EXPECT_EQ(image.pixel(6, 0), black);        // the flare meets the top edge
    EXPECT_EQ(qAlpha(image.pixel(9, 15)), 0);   // below the flare the body narrows
    EXPECT_EQ(image.pixel(10, 15), black);
    EXPECT_EQ(qAlpha(image.pixel(217, 30)), 0);  // beside the body, under the flare
    EXPECT_EQ(qAlpha(image.pixel(11, 39)), 0);   // the rounded bottom corner

    background.setNotch(0, 38);
    image = renderWidget(background);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);  // rounded, not flared
    EXPECT_EQ(image.pixel(217, 30), black);
}

// A shallow or narrow notch shrinks the flare and the corners with it, so
// the outline never leaves its frame or crosses itself.
TEST(NotchHardwareShape, SmallFramesKeepTheOutlineInside)
{
    for (const QRectF frame : {QRectF(5, 3, 200, 12), QRectF(0, 0, 24, 100), QRectF(0, 0, 200, 40)}) {
        const QPainterPath path = NotchHardwareShape::path(frame, 10);
        EXPECT_TRUE(frame.contains(path.boundingRect())) << frame.width() << "x" << frame.height();
        EXPECT_TRUE(path.contains(frame.center()));
    }
}

// Every icon the readings and the views name is in the symbol font's table.
TEST(SymbolIcons, TableCoversTheViewsNames)
{
    QStringList names{"bolt.fill", "powerplug.fill", "battery.0percent", "battery.25percent", "battery.50percent",
                      "battery.75percent", "battery.100percent", "pin", "pin.fill", "gearshape", "waveform.path.ecg",
                      "app.fill", "laptopcomputer", "desktopcomputer", "arrow.right", "chevron.down", "chevron.right",
                      "checkmark.circle.fill", "line.3.horizontal"};
    for (const ReadingDescriptor& reading : ReadingTable::all())
        names.append(QString::fromLatin1(reading.icon));
    for (const QString& name : names)
        EXPECT_TRUE(symbolGlyph(name).has_value()) << name.toStdString();
    EXPECT_FALSE(symbolGlyph(u"no.such.symbol").has_value());
}

QImage drawn(const SymbolFont& font, const QString& name)
{
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    font.draw(painter, name, QRectF(0, 0, 32, 32), 15, Qt::white);
    return image;
}

TEST(SymbolFontRender, InstalledFontDrawsGlyphsAndAMissingOneNothing)
{
    const SymbolFont& font = SymbolFont::shared();
    ASSERT_TRUE(font.isAvailable());
    EXPECT_GT(countPixels(drawn(font, "gearshape"), Qt::white, 60), 20);
    EXPECT_EQ(countPixels(drawn(font, "no.such.symbol"), Qt::white, 255), 0);
    const SymbolFont missing(QStringLiteral("/nonexistent/MaterialIcons-Regular.ttf"));
    EXPECT_FALSE(missing.isAvailable());
    EXPECT_EQ(countPixels(drawn(missing, "gearshape"), Qt::white, 255), 0);
}

TEST(IslandIconButton, ShowsSurfaceOnlyWhilePressedAndReactsOnlyInsideItsCircle)
{
    IslandIconButton button(QStringLiteral("pin"));
    EXPECT_EQ(button.size(), QSize(24, 24));
    const auto corner = [&] { return qAlpha(renderWidget(button).pixel(12, 2)); };
    EXPECT_EQ(corner(), 0);
    button.setDown(true);
    EXPECT_GT(corner(), 0);
    button.setDown(false);

    int clicks = 0;
    QObject::connect(&button, &QAbstractButton::clicked, [&] { ++clicks; });
    testing::click(button, {1, 1});
    testing::click(button, {12, 12});
    EXPECT_EQ(clicks, 1);  // the corner click missed
}

}  // namespace
}  // namespace moravel
