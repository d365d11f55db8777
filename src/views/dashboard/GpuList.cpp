#include "views/dashboard/GpuList.h"

#include "monitor/Formatters.h"
#include "monitor/ReadingTable.h"
#include "monitor/TemperaturePolicy.h"
#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
#include "views/kit/ReadingColors.h"
#include "views/kit/SymbolIcons.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace moravel {

namespace {

constexpr double kTopPadding = 6;
constexpr double kRowGap = 3;
constexpr double kRowPadding = 8;
constexpr double kColumnGap = 14;
constexpr double kIconGap = 6;

QFont nameFont()
{
    return Fonts::words(TextSize::small, QFont::Medium);
}

QFont figureFont()
{
    return Fonts::figures(TextSize::small, QFont::Medium);
}

}  // namespace

QList<GpuRow> gpuRows(const QList<GpuReading>& gpus)
{
    QList<GpuRow> rows;
    for (const GpuReading& gpu : gpus) {
        GpuRow row{gpu.name, {}, Level::normal, {}, {}, Level::normal};
        if (gpu.busyPercent) {
            row.load = MetricFormat::percent(*gpu.busyPercent);
            row.loadLevel = ReadingTable::level(MetricKind::gpu, *gpu.busyPercent);
        }
        if (gpu.memoryUsed && gpu.memoryTotal)
            row.memory = MetricFormat::memory(*gpu.memoryUsed) + QStringLiteral(" of ")
                         + MetricFormat::memory(*gpu.memoryTotal);
        if (gpu.temperatureCelsius) {
            row.temperature = MetricFormat::fixed(*gpu.temperatureCelsius, 0) + QStringLiteral("°C");
            row.temperatureLevel = levelFor(*gpu.temperatureCelsius, temperatureThresholds(std::nullopt));
        }
        rows.append(row);
    }
    return rows;
}

GpuList::GpuList(QWidget* parent) : QWidget(parent)
{
    setAccessibleName(QStringLiteral("Graphics processors"));
}

int GpuList::rowHeight()
{
    const double text = std::max(QFontMetricsF(nameFont()).height(), QFontMetricsF(figureFont()).height());
    return static_cast<int>(std::ceil(std::max<double>(text + px(6), symbolPixelSize(TextSize::small))));
}

void GpuList::setGpus(const QList<GpuReading>& gpus)
{
    QList<GpuRow> rows = gpuRows(gpus);
    if (rows == rows_)
        return;
    rows_ = std::move(rows);
    QStringList spoken;
    for (const GpuRow& row : rows_) {
        QStringList parts{row.name};
        for (const QString& figure : {row.load, row.memory, row.temperature}) {
            if (!figure.isEmpty())
                parts.append(figure);
        }
        spoken.append(parts.join(QStringLiteral(", ")));
    }
    setAccessibleDescription(spoken.join(QStringLiteral("; ")));
    update();
}

void GpuList::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetricsF figures(figureFont());
    // Each figure column as wide as its widest entry, so the rows line up.
    const auto columnWidth = [&](QString GpuRow::*figure) {
        double widest = 0;
        for (const GpuRow& row : rows_)
            widest = std::max(widest, figures.horizontalAdvance(row.*figure));
        return widest;
    };
    const double load = columnWidth(&GpuRow::load);
    const double memory = columnWidth(&GpuRow::memory);
    const double temperature = columnWidth(&GpuRow::temperature);
    const double height = rowHeight();
    const double icon = symbolPixelSize(TextSize::small);

    // Where not every row fits, the last place says how many are left out.
    const auto room = static_cast<qsizetype>((this->height() - px(kTopPadding) + px(kRowGap)) / (height + px(kRowGap)));
    const qsizetype shown = rows_.size() <= room ? rows_.size() : std::max<qsizetype>(room - 1, 0);
    double top = px(kTopPadding);
    for (qsizetype i = 0; i < rows_.size(); ++i) {
        const GpuRow& row = rows_[i];
        if (i == shown) {
            painter.setFont(nameFont());
            painter.setPen(IslandPalette::secondary());
            painter.drawText(QRectF(px(kRowPadding), top, width(), height), Qt::AlignLeft | Qt::AlignVCenter,
                             QStringLiteral("+%1 more").arg(rows_.size() - i));
            break;
        }
        const QRectF frame(0, top, width(), height);
        painter.setPen(Qt::NoPen);
        painter.setBrush(IslandPalette::surface());
        painter.drawRoundedRect(frame, px(5), px(5));

        // Right to left: temperature, memory, load, then the name in what is left.
        double right = frame.right() - px(kRowPadding);
        painter.setFont(figureFont());
        const auto figure = [&](const QString& text, double width, const QColor& color) {
            painter.setPen(color);
            painter.drawText(QRectF(right - width, top, width, height), Qt::AlignRight | Qt::AlignVCenter, text);
            right -= width + px(kColumnGap);
        };
        figure(row.temperature, temperature, levelColor(row.temperatureLevel));
        figure(row.memory, memory, IslandPalette::primary());
        figure(row.load, load, levelColor(row.loadLevel));

        const double left = frame.left() + px(kRowPadding);
        SymbolFont::shared().draw(painter, u"gpu", QRectF(left, top, icon, height), TextSize::small,
                                  IslandPalette::secondary());
        const double nameLeft = left + icon + px(kIconGap);
        const double nameWidth = std::max(0.0, right + px(kColumnGap) - px(kColumnGap) - nameLeft);
        painter.setFont(nameFont());
        painter.setPen(IslandPalette::primary());
        painter.drawText(QRectF(nameLeft, top, nameWidth, height), Qt::AlignLeft | Qt::AlignVCenter,
                         QFontMetricsF(nameFont()).elidedText(row.name, Qt::ElideRight, nameWidth));
        top += height + px(kRowGap);
    }
}

}  // namespace moravel
