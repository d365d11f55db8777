#pragma once

#include <QFont>

namespace moravel {

// The island's three type designs, sized in logical pixels so that the fixed
// frames of the layout fit whatever font DPI the desktop is set to.
//
// Fractional sizes such as 9.5 are kept: the font is given the point size that
// renders at exactly that many pixels on the screen's font DPI.
namespace Fonts {

// The desktop's UI font (the application font).
QFont system(double pixelSize, QFont::Weight weight = QFont::Normal);
// The desktop's fixed-pitch font, used for every reading so that digits keep
// their width from one second to the next.
QFont monospaced(double pixelSize, QFont::Weight weight = QFont::Normal);
// No rounded face ships with the desktop; the UI font stands in for it.
QFont rounded(double pixelSize, QFont::Weight weight = QFont::Normal);


}  // namespace Fonts

}  // namespace moravel
