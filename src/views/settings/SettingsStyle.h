#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QLabel;
class QWidget;

namespace moravel {

// The text styles of the settings column.
namespace SettingsStyle {

QFont titleFont();         // title, semibold
QFont sectionTitleFont();  // heading, semibold
QFont captionFont();       // body, medium
QFont toggleLabelFont();   // emphasis, medium
QFont buttonLabelFont();   // emphasis, semibold

// The width inside the column's padding, in points. Wrapping texts take
// exactly this width, so the column's height follows from its contents alone.
inline constexpr int contentWidth = 340 - 2 * 18;

// Controls that cannot be used are drawn at this opacity.
inline constexpr double disabledOpacity = 0.4;

// A transparent label in the given font and colour. `wraps` lets it take as
// many lines as the content width needs.
QLabel* makeLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent, bool wraps = false);
void setLabelColor(QLabel& label, const QColor& color);

// A colour as a style sheet writes it: "rgba(r, g, b, alpha)".
QString styleSheetColor(const QColor& color);

}  // namespace SettingsStyle

}  // namespace moravel
