#include "views/dashboard/ProcessLeaderboard.h"

#include "views/kit/AccessibleParts.h"
#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
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
    const double height = px(kBarHeight);
    const QRectF track(frame.left(), frame.center().y() - height / 2, frame.width(), height);
    painter.setPen(Qt::NoPen);
    painter.setBrush(IslandPalette::divider());
    painter.drawRoundedRect(track, height / 2, height / 2);
    const double filled = std::clamp(fraction, 0.0, 1.0) * track.width();
    if (filled <= 0)
        return;
    painter.setBrush(color);
    painter.drawRoundedRect(QRectF(track.left(), track.top(), filled, height), height / 2, height / 2);
}

// A card as a list named by its title, a row as an item: the process's name
// and its reading ("firefox", "48 percent CPU"); "Collecting…" while empty.
class ProcessLeaderboardAccessible final : public AccessibleWidgetWithParts {
public:
    explicit ProcessLeaderboardAccessible(QWidget* card) : AccessibleWidgetWithParts(card, QAccessible::List) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return processCardTitle(card().kind());
        if (t == QAccessible::Description)
            return card().rowCount() == 0 ? card().emptyText() : QString();
        return AccessibleWidgetWithParts::text(t);
    }
    QList<int> partKeys() const override
    {
        QList<int> keys;
        for (int i = 0; i < card().rowCount(); ++i)
            keys.append(i);
        return keys;
    }
    AccessiblePart part(int key) const override
    {
        const ProcessLeaderRow& row = card().row(key);
        AccessiblePart part;
        part.role = QAccessible::ListItem;
        part.name = row.process().name;
        part.text = spokenProcessReading(card().kind(), row.process());
        part.rect = row.geometry();
        return part;
    }

private:
    const ProcessLeaderboard& card() const { return *static_cast<const ProcessLeaderboard*>(widget()); }
};

}  // namespace

ProcessLeaderRow::ProcessLeaderRow(ProcessLoadKind kind, QWidget* parent) : QWidget(parent), kind_(kind)
{
    resize(sizeHint());
}

QSize ProcessLeaderRow::sizeHint() const
{
    return pxSize(kCardWidth - 2 * kCardPadding, kRowHeight);
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
    painter.drawRoundedRect(bounds, px(5), px(5));

    const QColor color = processColor(kind_, process_, memoryTotal_);
    const QRectF iconRect(px(kRowPadding), 0, px(kIconFrame), bounds.height());
    SymbolFont::shared().draw(painter, u"app.fill", iconRect, TextSize::small, color);

    const QRectF barRect(bounds.right() - px(kRowPadding + kBarFrame), 0, px(kBarFrame), bounds.height());
    drawBar(painter, barRect, loadFraction(kind_, process_, memoryTotal_), color);

    const QRectF readingRect(barRect.left() - px(kRowSpacing + kReadingFrame), 0, px(kReadingFrame), bounds.height());
    painter.setFont(Fonts::figures(TextSize::caption, QFont::DemiBold));
    painter.setPen(color);
    painter.drawText(readingRect, Qt::AlignRight | Qt::AlignVCenter, processReading(kind_, process_));

    const double nameLeft = iconRect.right() + px(kRowSpacing);
    const double nameWidth = std::max(0.0, readingRect.left() - px(kRowSpacing + kMinimumGap + kRowSpacing) - nameLeft);
    const QFont nameFont = Fonts::words(TextSize::small, QFont::Medium);
    painter.setFont(nameFont);
    painter.setPen(IslandPalette::primary());
    painter.drawText(QRectF(nameLeft, 0, nameWidth, bounds.height()), Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetricsF(nameFont).elidedText(process_.name, Qt::ElideRight, nameWidth));
}

ProcessLeaderboard::ProcessLeaderboard(ProcessLoadKind kind, QWidget* parent) : QWidget(parent), kind_(kind)
{
    IslandAccessibility::provide(staticMetaObject, [](QWidget* card) -> QAccessibleInterface* {
        return new ProcessLeaderboardAccessible(card);
    });
    for (ProcessLeaderRow*& row : rows_) {
        row = new ProcessLeaderRow(kind, this);
        row->hide();
    }
    resize(sizeHint());
}

int ProcessLeaderboard::heightFor(qsizetype rowCount)
{
    const qsizetype rows = std::min<qsizetype>(rowCount, kMaxRows);
    const int body = rows == 0 ? pxInt(kEmptyHeight)
                               : static_cast<int>(rows) * pxInt(kRowHeight)
                                     + static_cast<int>(rows - 1) * pxInt(kStackSpacing);
    return pxInt(kCardPadding + kHeaderHeight + kStackSpacing) + body + pxInt(kCardPadding);
}

QSize ProcessLeaderboard::sizeHint() const
{
    return {pxInt(kCardWidth), heightFor(rowCount_)};
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
    const int top = pxInt(kCardPadding + kHeaderHeight + kStackSpacing);
    for (size_t i = 0; i < rows_.size(); ++i) {
        rows_[i]->setGeometry(pxInt(kCardPadding), top + static_cast<int>(i) * (pxInt(kRowHeight) + pxInt(kStackSpacing)),
                              width() - 2 * pxInt(kCardPadding), pxInt(kRowHeight));
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
    painter.drawRoundedRect(card, px(7), px(7));

    const QRectF header(px(kCardPadding + 7), px(kCardPadding), width() - px(2 * (kCardPadding + 7)), px(kHeaderHeight));
    const QFont titleFont = Fonts::words(TextSize::body, QFont::DemiBold);
    const double iconWidth = symbolPixelSize(TextSize::body);
    SymbolFont::shared().draw(painter, processCardIcon(kind_), QRectF(header.left(), header.top(), iconWidth, header.height()),
                              TextSize::body, tint);
    const double titleLeft = header.left() + iconWidth + px(5);
    painter.setFont(titleFont);
    painter.setPen(IslandPalette::primary());
    painter.drawText(QRectF(titleLeft, header.top(), header.right() - titleLeft, header.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, processCardTitle(kind_));

    if (rowCount_ > 0)
        return;
    const QRectF body(px(kCardPadding), header.bottom() + px(kStackSpacing), width() - px(2 * kCardPadding),
                      px(kEmptyHeight));
    painter.setFont(Fonts::words(TextSize::small));
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
