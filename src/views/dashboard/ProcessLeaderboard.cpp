#include "views/dashboard/ProcessLeaderboard.h"

#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/SymbolIcons.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace moravel {

namespace {

constexpr int kCardWidth = 270;
constexpr int kCardPadding = 4;
constexpr int kHeaderHeight = 17;
constexpr int kStackSpacing = 3;
constexpr int kRowHeight = 21;
constexpr int kMaxRows = 3;
constexpr int kEmptyHeight = kMaxRows * kRowHeight + (kMaxRows - 1) * kStackSpacing;

constexpr double kRowPadding = 6;
constexpr double kRowSpacing = 5;
constexpr double kIconFrame = 14;
constexpr double kReadingFrame = 55;
constexpr double kBarFrame = 29;
constexpr double kMinimumGap = 2;
constexpr double kBarHeight = 4;

void drawBar(QPainter& painter, const QRectF& frame, double fraction, const QColor& color)
{
    const QRectF track(frame.left(), frame.center().y() - kBarHeight / 2, frame.width(), kBarHeight);
    painter.setPen(Qt::NoPen);
    painter.setBrush(IslandPalette::divider());
    painter.drawRoundedRect(track, kBarHeight / 2, kBarHeight / 2);
    const double filled = std::clamp(fraction, 0.0, 1.0) * track.width();
    if (filled <= 0)
        return;
    painter.setBrush(color);
    painter.drawRoundedRect(QRectF(track.left(), track.top(), filled, kBarHeight), kBarHeight / 2, kBarHeight / 2);
}

}  // namespace

ProcessLeaderRow::ProcessLeaderRow(ProcessLoadKind kind, QWidget* parent) : QWidget(parent), kind_(kind)
{
    resize(sizeHint());
}

QSize ProcessLeaderRow::sizeHint() const
{
    return {kCardWidth - 2 * kCardPadding, kRowHeight};
}

void ProcessLeaderRow::setProcess(const ProcessMetric& process, uint64_t memoryTotal)
{
    if (process == process_ && memoryTotal == memoryTotal_)
        return;
    process_ = process;
    memoryTotal_ = memoryTotal;
    update();
}

void ProcessLeaderRow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds(rect());
    painter.setPen(Qt::NoPen);
    painter.setBrush(IslandPalette::surface());
    painter.drawRoundedRect(bounds, 5, 5);

    const QColor color = processColor(kind_, process_, memoryTotal_);
    const QRectF iconRect(kRowPadding, 0, kIconFrame, bounds.height());
    SymbolFont::shared().draw(painter, u"app.fill", iconRect, 8.5, color);

    const QRectF barRect(bounds.right() - kRowPadding - kBarFrame, 0, kBarFrame, bounds.height());
    drawBar(painter, barRect, loadFraction(kind_, process_, memoryTotal_), color);

    const QRectF readingRect(barRect.left() - kRowSpacing - kReadingFrame, 0, kReadingFrame, bounds.height());
    const QFont readingFont = Fonts::monospaced(8, QFont::DemiBold);
    painter.setFont(readingFont);
    painter.setPen(color);
    const QString reading = processReading(kind_, process_);
    painter.drawText(readingRect, Qt::AlignRight | Qt::AlignVCenter,
                     QFontMetricsF(readingFont).elidedText(reading, Qt::ElideRight, kReadingFrame));

    const double nameLeft = iconRect.right() + kRowSpacing;
    const double nameWidth = std::max(0.0, readingRect.left() - kRowSpacing - kMinimumGap - kRowSpacing - nameLeft);
    const QFont nameFont = Fonts::system(8.5, QFont::Medium);
    painter.setFont(nameFont);
    painter.setPen(IslandPalette::primary());
    painter.drawText(QRectF(nameLeft, 0, nameWidth, bounds.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetricsF(nameFont).elidedText(process_.name, Qt::ElideRight, nameWidth));
}

ProcessLeaderboard::ProcessLeaderboard(ProcessLoadKind kind, QWidget* parent) : QWidget(parent), kind_(kind)
{
    for (ProcessLeaderRow*& row : rows_) {
        row = new ProcessLeaderRow(kind, this);
        row->hide();
    }
    resize(sizeHint());
}

int ProcessLeaderboard::heightFor(qsizetype rowCount)
{
    const qsizetype rows = std::min<qsizetype>(rowCount, kMaxRows);
    const int body = rows == 0 ? kEmptyHeight
                               : static_cast<int>(rows) * kRowHeight + static_cast<int>(rows - 1) * kStackSpacing;
    return kCardPadding + kHeaderHeight + kStackSpacing + body + kCardPadding;
}

QSize ProcessLeaderboard::sizeHint() const
{
    return {kCardWidth, heightFor(rowCount_)};
}

void ProcessLeaderboard::setProcesses(const QList<ProcessMetric>& processes, uint64_t memoryTotal)
{
    const qsizetype count = std::min<qsizetype>(processes.size(), kMaxRows);
    for (qsizetype i = 0; i < count; ++i)
        rows_[static_cast<size_t>(i)]->setProcess(processes[i], memoryTotal);
    for (qsizetype i = 0; i < kMaxRows; ++i)
        rows_[static_cast<size_t>(i)]->setVisible(i < count);
    if (count == rowCount_)
        return;
    const bool wasEmpty = rowCount_ == 0;
    rowCount_ = count;
    updateGeometry();
    if (wasEmpty || count == 0)
        update();  // "Collecting…" appears or goes
}

void ProcessLeaderboard::resizeEvent(QResizeEvent*)
{
    placeRows();
}

void ProcessLeaderboard::placeRows()
{
    const int top = kCardPadding + kHeaderHeight + kStackSpacing;
    for (size_t i = 0; i < rows_.size(); ++i) {
        rows_[i]->setGeometry(kCardPadding, top + static_cast<int>(i) * (kRowHeight + kStackSpacing),
                              width() - 2 * kCardPadding, kRowHeight);
    }
}

void ProcessLeaderboard::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor tint = processCardTint(kind_);
    const QRectF card = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    painter.setBrush(IslandPalette::withOpacity(tint, 0.045));
    painter.setPen(QPen(IslandPalette::withOpacity(tint, 0.14), 1));
    painter.drawRoundedRect(card, 7, 7);

    const QRectF header(kCardPadding + 7, kCardPadding, width() - 2 * (kCardPadding + 7), kHeaderHeight);
    const QFont titleFont = Fonts::system(9.5, QFont::DemiBold);
    const QFontMetricsF titleMetrics(titleFont);
    const double iconWidth = symbolPixelSize(10);
    SymbolFont::shared().draw(painter, processCardIcon(kind_), QRectF(header.left(), header.top(), iconWidth, header.height()),
                              10, tint);
    const double titleLeft = header.left() + iconWidth + 5;
    painter.setFont(titleFont);
    painter.setPen(IslandPalette::primary());
    painter.drawText(QRectF(titleLeft, header.top(), header.right() - titleLeft, header.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, processCardTitle(kind_));

    if (rowCount_ > 0)
        return;
    const QRectF body(kCardPadding, header.bottom() + kStackSpacing, width() - 2 * kCardPadding, kEmptyHeight);
    painter.setFont(Fonts::monospaced(9, QFont::Normal));
    painter.setPen(IslandPalette::secondary());
    painter.drawText(body, Qt::AlignCenter,
                     QFontMetricsF(painter.font()).elidedText(emptyText_, Qt::ElideRight, body.width()));
}

void ProcessLeaderboard::setEmptyText(const QString& text)
{
    if (text == emptyText_)
        return;
    emptyText_ = text;
    update();
}

}  // namespace moravel
