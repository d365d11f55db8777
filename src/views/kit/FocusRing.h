#pragma once

#include <QRectF>

class QPainter;
class QWidget;

namespace moravel {

// The keyboard focus as the island draws it: a ring in the island's palette
// around what has the focus, shown only once the keyboard has moved it (Tab,
// the arrows) or brought the island up, and hidden again by a pointer press,
// so that clicks never leave rings behind.
namespace FocusRing {

// Starts following the keyboard and the pointer; each call after the first
// does nothing.
void install();
// The island was brought up from the keyboard: the focus shows from the start.
void showForKeyboard();

// Whether `widget` has the keyboard, also where its window holds the
// keyboard by a grab (the unmanaged island) rather than by the window
// manager's focus.
bool hasKeyboard(const QWidget* widget);
// Whether `widget` draws its ring now.
bool isShown(const QWidget* widget);
// The ring just inside `rect`, with corners of `radius`.
void paint(QPainter& painter, const QRectF& rect, double radius);

}  // namespace FocusRing

}  // namespace moravel
