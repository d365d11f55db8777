#pragma once

#include <QFont>

namespace moravel {

// The island's type scale: every text is set in one of these sizes, in
// points, drawn at the island's size factor.
namespace TextSize {
inline constexpr double caption = 8;     // axis values, clock times, captions under a figure
inline constexpr double small = 9;       // tabs, legends, list rows, status lines
inline constexpr double body = 10;       // the collapsed readings, figures of the diagram, card titles
inline constexpr double emphasis = 11;   // gauge values, section titles
inline constexpr double heading = 12.5;  // the dashboard's verdict, the settings' section titles
inline constexpr double title = 16;      // the settings' title
}  // namespace TextSize

// The island's two faces: the desktop's UI font for words, and its
// fixed-pitch font only for figures that must keep their width from one
// second to the next and line up. Sizes are points of the type scale; the
// font is given the pixel size the island's size factor makes of them.
namespace Fonts {

QFont words(double points, QFont::Weight weight = QFont::Normal);
QFont figures(double points, QFont::Weight weight = QFont::Normal);

}  // namespace Fonts

}  // namespace moravel
