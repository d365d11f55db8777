#include "views/settings/SettingsStyle.h"

#include "views/kit/Fonts.h"
#include "views/kit/IslandScale.h"

#include <QLabel>

namespace moravel::SettingsStyle {

namespace {

// A wrapping label that always measures itself at the column's content width.
// Asking the layouts for a height for each width instead would leave the
// popover hosting the column guessing its height before it is first shown.
class WrappedLabel final : public QLabel {
public:
    using QLabel::QLabel;

    bool hasHeightForWidth() const override { return false; }
    QSize sizeHint() const override { return {pxInt(contentWidth), heightForWidth(pxInt(contentWidth))}; }
    QSize minimumSizeHint() const override { return sizeHint(); }
};

}  // namespace

QFont titleFont()
{
    return Fonts::words(TextSize::title, QFont::DemiBold);
}

QFont sectionTitleFont()
{
    return Fonts::words(TextSize::heading, QFont::DemiBold);
}

QFont captionFont()
{
    return Fonts::words(TextSize::body, QFont::Medium);
}

QFont toggleLabelFont()
{
    return Fonts::words(TextSize::emphasis, QFont::Medium);
}

QFont buttonLabelFont()
{
    return Fonts::words(TextSize::emphasis, QFont::DemiBold);
}

void setLabelColor(QLabel& label, const QColor& color)
{
    QPalette palette = label.palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    label.setPalette(palette);
}

QLabel* makeLabel(const QString& text, const QFont& font, const QColor& color, QWidget* parent, bool wraps)
{
    QLabel* label = wraps ? new WrappedLabel(text, parent) : new QLabel(text, parent);
    label->setFont(font);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(wraps);
    label->setAttribute(Qt::WA_TranslucentBackground);
    setLabelColor(*label, color);
    return label;
}

QString styleSheetColor(const QColor& color)
{
    return QStringLiteral("rgba(%1, %2, %3, %4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alphaF(), 0, 'f', 3);
}

}  // namespace moravel::SettingsStyle
