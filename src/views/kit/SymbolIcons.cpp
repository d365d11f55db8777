#include "views/kit/SymbolIcons.h"

#include "views/kit/IslandScale.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace moravel {

namespace {

struct SymbolEntry {
    const char16_t* name;
    SymbolGlyph glyph;
};

// Material has no outlined push pin in its regular face, so the unpinned
// state strokes the filled glyph. Its batteries stand upright; the island's
// lie on their side with the terminal to the right.
constexpr double kLying = 90;
constexpr SymbolEntry kSymbols[] = {
    {u"wifi", {0xe63e}},
    {u"cpu", {0xe322}},                      // memory (a processor chip)
    {u"memorychip", {0xe30d}},               // developer_board
    {u"bolt.fill", {0xea0b}},                // bolt
    {u"powerplug.fill", {0xe63c}},           // power
    {u"battery.0percent", {0xebdc, false, kLying}},
    {u"battery.25percent", {0xebe0, false, kLying}},
    {u"battery.50percent", {0xebdd, false, kLying}},
    {u"battery.75percent", {0xebd4, false, kLying}},
    {u"battery.100percent", {0xe1a4, false, kLying}},
    {u"battery.unknown", {0xe1a6, false, kLying}},  // battery_unknown: a question mark inside
    {u"pin", {0xf10d, true}},                // push_pin, outlined
    {u"pin.fill", {0xf10d}},                 // push_pin
    {u"gearshape", {0xe8b8}},                // settings
    {u"waveform.path.ecg", {0xeaa2}},        // monitor_heart
    {u"internaldrive", {0xe1db}},            // storage
    {u"app.fill", {0xeb36}},                 // square
    {u"laptopcomputer", {0xe31e}},           // laptop
    {u"desktopcomputer", {0xe30c}},          // desktop_windows
    {u"arrow.right", {0xe5c8}},              // arrow_forward
    {u"chevron.down", {0xe5cf}},             // expand_more
    {u"chevron.right", {0xe5cc}},            // chevron_right
    {u"checkmark.circle.fill", {0xe86c}},    // check_circle
    {u"line.3.horizontal", {0xe5d2}},        // menu
    {u"swap", {0xe8d4}},                     // swap_horiz
    {u"thermometer", {0xe1ff}},              // device_thermostat
    {u"gpu", {0xe338}},                      // videogame_asset
    {u"fan", {0xec18}},                      // heat_pump (a fan in its frame)
    {u"voltage", {0xec1c}},                  // electric_bolt
    {u"server.rack", {0xe875}},              // dns
};

QString loadFamily(const QString& fontPath)
{
    const int id = QFontDatabase::addApplicationFont(fontPath);
    if (id < 0)
        return {};
    const QStringList families = QFontDatabase::applicationFontFamilies(id);
    return families.isEmpty() ? QString() : families.first();
}

}  // namespace

std::optional<SymbolGlyph> symbolGlyph(QStringView name)
{
    for (const SymbolEntry& entry : kSymbols) {
        if (name == QStringView(entry.name))
            return entry.glyph;
    }
    return std::nullopt;
}

int symbolPixelSize(double textSize)
{
    return std::max(1, static_cast<int>(std::lround(px(textSize) * 1.2)));
}

SymbolFont::SymbolFont(const QString& fontPath) : family_(loadFamily(fontPath)) {}

QString SymbolFont::defaultFontPath()
{
    return QStringLiteral("/usr/share/fonts/truetype/material-design-icons-iconfont/MaterialIcons-Regular.ttf");
}

const SymbolFont& SymbolFont::shared()
{
    static const SymbolFont font(defaultFontPath());
    return font;
}

void SymbolFont::draw(QPainter& painter, QStringView name, const QRectF& rect, double size,
                      const QColor& color) const
{
    const std::optional<SymbolGlyph> glyph = symbolGlyph(name);
    if (!glyph || !isAvailable())
        return;

    QFont font(family_);
    font.setPixelSize(symbolPixelSize(size));
    const QFontMetricsF metrics(font);
    const QString text(QChar(glyph->codepoint));
    // Centre the glyph's em box, not its ink, so chevrons and arrows keep the
    // optical position the font designed for them.
    const double advance = metrics.horizontalAdvance(text);
    const QPointF origin(-advance / 2, (metrics.ascent() - metrics.descent()) / 2);

    painter.save();
    painter.translate(rect.center());
    if (glyph->rotation != 0)
        painter.rotate(glyph->rotation);
    if (glyph->outlined) {
        QPainterPath outline;
        outline.addText(origin, font, text);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(color, std::max(1.0, QFontInfo(font).pixelSize() / 14.0)));
        painter.drawPath(outline);
    } else {
        painter.setFont(font);
        painter.setPen(color);
        painter.drawText(origin, text);
    }
    painter.restore();
}

}  // namespace moravel
