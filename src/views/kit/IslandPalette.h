#pragma once

#include <QColor>

namespace moravel {

// The island's ten colours. The neutrals are white (or black) with an
// opacity so they tint whatever lies beneath; the accents are opaque.
namespace IslandPalette {

const QColor& background();
const QColor& surface();
const QColor& divider();
const QColor& primary();
const QColor& secondary();
const QColor& mint();
const QColor& cyan();
const QColor& yellow();
const QColor& amber();
const QColor& red();

// A palette colour with its opacity multiplied by a further factor.
QColor withOpacity(const QColor& color, double opacity);

}  // namespace IslandPalette

}  // namespace moravel
