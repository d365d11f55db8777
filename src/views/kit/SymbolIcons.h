#pragma once

#include <QColor>
#include <QRectF>
#include <QString>
#include <QStringView>

#include <optional>

class QPainter;

namespace moravel {

// How one symbol name is drawn with the Material Icons font.
struct SymbolGlyph {
    char16_t codepoint = 0;
    bool outlined = false;  // stroke the glyph's outline instead of filling it
    double rotation = 0;    // degrees clockwise, about the glyph's centre

    friend bool operator==(const SymbolGlyph&, const SymbolGlyph&) = default;
};

// The one table from the symbol names the views use to Material glyphs.
// Unknown names yield nothing.
std::optional<SymbolGlyph> symbolGlyph(QStringView name);

// The icon font, loaded once per instance. A font that cannot be loaded
// leaves every icon out instead of failing.
class SymbolFont {
public:
    explicit SymbolFont(const QString& fontPath);

    // The instance every view draws with, loaded from the installed font.
    static const SymbolFont& shared();
    static QString defaultFontPath();

    bool isAvailable() const { return !family_.isEmpty(); }
    QString family() const { return family_; }

    // Draws the named symbol centred in `rect`. `size` is the size, in points,
    // of the text the icon stands beside; the glyph is scaled to match it.
    void draw(QPainter& painter, QStringView name, const QRectF& rect, double size, const QColor& color) const;

private:
    QString family_;
};

// Glyph box size, in pixels, for a symbol drawn beside text of the given size
// in points: Material glyphs leave a margin inside their box, so they are
// drawn a little larger.
int symbolPixelSize(double textSize);

}  // namespace moravel
