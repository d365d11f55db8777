#include "island/NotchEnvironment.h"

#include "support/PrintableExcerpt.h"

#include <QRegularExpression>

#include <algorithm>

namespace moravel {

namespace {

constexpr double maximumWidth = 4000;
constexpr double maximumDepth = 200;

}  // namespace

NotchEnvironment parseNotchEnvironment(const std::optional<QString>& value, std::optional<double> screenWidth)
{
    if (!value || value->isEmpty())
        return {};
    const double widthLimit = screenWidth ? std::min(maximumWidth, *screenWidth) : maximumWidth;
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("([0-9]{1,4}(?:\\.[0-9]{1,3})?)x([0-9]{1,3}(?:\\.[0-9]{1,3})?)")));
    const QRegularExpressionMatch match = pattern.match(*value);
    if (match.hasMatch()) {
        const double width = match.capturedView(1).toDouble();
        const double depth = match.capturedView(2).toDouble();
        if (width > 0 && width <= widthLimit && depth > 0 && depth <= maximumDepth)
            return {NotchDeclaration{width, depth}, {}};
    }
    return {std::nullopt,
            QStringLiteral("moravel: ignoring %1=\"%2\": expected WIDTHxDEPTH in points, such as 200x32 "
                           "(WIDTH up to %3, DEPTH up to %4)")
                .arg(QLatin1StringView(notchEnvironmentVariable), printableExcerpt(*value),
                     QString::number(widthLimit), QString::number(maximumDepth))};
}

NotchEnvironment notchEnvironmentFromProcess(std::optional<double> screenWidth)
{
    if (!qEnvironmentVariableIsSet(notchEnvironmentVariable))
        return {};
    return parseNotchEnvironment(qEnvironmentVariable(notchEnvironmentVariable), screenWidth);
}

ScreenDescription withDeclaredNotch(const ScreenDescription& screen, const NotchDeclaration& notch)
{
    const QRectF frame = screen.frame;
    const double gap = std::min(notch.width, frame.width());
    const double side = (frame.width() - gap) / 2;
    ScreenDescription result = screen;
    result.topInset = notch.depth;
    result.auxiliaryTopLeftArea = QRectF(frame.left(), frame.top(), side, notch.depth);
    result.auxiliaryTopRightArea = QRectF(frame.left() + side + gap, frame.top(), side, notch.depth);
    return result;
}

QString notchEnvironmentHelp()
{
    return QStringLiteral(
        "  MORAVEL_NOTCH      The camera notch of the primary screen as WIDTHxDEPTH in\n"
        "                     points, for example 200x32. Linux cannot detect one, so\n"
        "                     without it the island is drawn for a screen without a notch.\n");
}

}  // namespace moravel
