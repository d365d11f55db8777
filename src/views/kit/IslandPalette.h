#pragma once

#include <QColor>

namespace moravel {

// The island's colours. The neutrals are white (or black) with an opacity so
// they tint whatever lies beneath; the accents are opaque. Two roles are named
// for what they mark, so that every place marks it alike.
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

// The outline of a surface that floats over others: the settings, help texts.
const QColor& edge();
// Every message saying that something failed or was refused.
const QColor& error();

// A palette colour with its opacity multiplied by a further factor.
QColor withOpacity(const QColor& color, double opacity);

}  // namespace IslandPalette

}  // namespace moravel
