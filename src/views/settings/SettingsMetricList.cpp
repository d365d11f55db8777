#include "views/settings/SettingsMetricList.h"

#include "monitor/ReadingTable.h"
#include "views/kit/AccessibleParts.h"
#include "views/kit/FocusRing.h"
#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"
#include "views/settings/SettingsStyle.h"
#include "views/kit/SymbolIcons.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace moravel {

namespace {
constexpr double kVerticalInset = 4;
constexpr double kHorizontalInset = 10;
constexpr double kSymbolFrameWidth = 16;
constexpr double kSpacing = 8;
constexpr double kCheckboxSide = 14;
constexpr double kCheckboxTitleSpacing = 6;
constexpr double kHandleWidth = 16;
constexpr double kCornerRadius = 8;

QFont titleFont()
{
    return Fonts::words(TextSize::emphasis);
}

const QString moveUpAction = QStringLiteral("move up");
const QString moveDownAction = QStringLiteral("move down");

// The rows as check boxes named by their readings, each with the actions
// that tick it and move it.
class SettingsMetricListAccessible final : public AccessibleWidgetWithParts {
public:
    explicit SettingsMetricListAccessible(QWidget* list)
        : AccessibleWidgetWithParts(list, QAccessible::List, QStringLiteral("Readings"))
    {
    }

    // Keyed by reading, so that a row keeps its element as it moves.
    QList<int> partKeys() const override
    {
        QList<int> keys;
        for (const SettingsMetricRow& row : list().rows())
            keys.append(static_cast<int>(row.kind));
        return keys;
    }
    AccessiblePart part(int key) const override
    {
        const int index = indexOf(key);
        const SettingsMetricRow row = list().rows().value(index);
        AccessiblePart part;
        part.role = QAccessible::CheckBox;
        part.name = QString::fromLatin1(ReadingTable::of(row.kind).title);
        part.rect = list().rowRect(index).toAlignedRect();
        part.state = IslandAccessibility::focusableState(widget(), index == list().focusedRow());
        part.state.checkable = true;
        part.state.checked = row.isVisible;
        part.state.disabled = !row.canToggle;
        part.actions = {QAccessibleActionInterface::toggleAction(), moveUpAction, moveDownAction};
        return part;
    }
    void doPartAction(int key, const QString& action) override
    {
        auto& owner = const_cast<SettingsMetricList&>(list());
        if (action == QAccessibleActionInterface::toggleAction())
            owner.toggleRow(indexOf(key));
        else if (action == moveUpAction || action == moveDownAction)
            owner.moveRow(indexOf(key), action == moveUpAction ? -1 : 1);
    }

private:
    int indexOf(int key) const
    {
        const QList<SettingsMetricRow>& rows = list().rows();
        for (int i = 0; i < rows.size(); ++i) {
            if (static_cast<int>(rows[i].kind) == key)
                return i;
        }
        return -1;
    }
    const SettingsMetricList& list() const { return *static_cast<const SettingsMetricList*>(widget()); }
};

}  // namespace

SettingsMetricList::SettingsMetricList(QWidget* parent) : QWidget(parent)
{
    IslandAccessibility::provide(staticMetaObject, [](QWidget* list) -> QAccessibleInterface* {
        return new SettingsMetricListAccessible(list);
    });
    // Reached with Tab, never focused by a click.
    setFocusPolicy(Qt::TabFocus);
    FocusRing::install();
    setFixedHeight(listHeight());
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TranslucentBackground);
}

int SettingsMetricList::listHeight()
{
    return pxInt(2 * kVerticalInset) + static_cast<int>(ReadingTable::collapsedKinds().size()) * pxInt(rowHeight);
}

QSize SettingsMetricList::sizeHint() const
{
    return {pxInt(240), listHeight()};
}

void SettingsMetricList::setRows(const QList<SettingsMetricRow>& rows)
{
    if (rows == rows_)
        return;
    // The pressed offset may now name another reading.
    cancelPress();
    rows_ = rows;
    update();
}

QRectF SettingsMetricList::rowRect(int index) const
{
    return {0, px(kVerticalInset) + index * pxInt(rowHeight), static_cast<double>(width()),
            static_cast<double>(pxInt(rowHeight))};
}

QRectF SettingsMetricList::toggleRect(int index) const
{
    const QRectF row = rowRect(index);
    const double left = px(kHorizontalInset + kSymbolFrameWidth + kSpacing);
    const double titleWidth =
        index >= 0 && index < rows_.size()
            ? QFontMetrics(titleFont()).horizontalAdvance(QString::fromLatin1(ReadingTable::of(rows_[index].kind).title))
            : 0;
    return {left - px(2), row.top(), px(kCheckboxSide + kCheckboxTitleSpacing + 6) + titleWidth, row.height()};
}

int SettingsMetricList::rowAt(double y) const
{
    const int index = static_cast<int>(std::floor((y - px(kVerticalInset)) / pxInt(rowHeight)));
    return index >= 0 && index < rows_.size() ? index : -1;
}

int SettingsMetricList::dropOffsetAt(double y) const
{
    const int gap = static_cast<int>(std::lround((y - px(kVerticalInset)) / pxInt(rowHeight)));
    return std::clamp(gap, 0, static_cast<int>(rows_.size()));
}

void SettingsMetricList::dropRow(int fromOffset, int toOffset)
{
    if (fromOffset < 0 || fromOffset >= rows_.size() || toOffset < 0 || toOffset > rows_.size())
        return;
    if (toOffset == fromOffset || toOffset == fromOffset + 1)
        return;
    emit moveRequested({fromOffset}, toOffset);
}

void SettingsMetricList::toggleRow(int index)
{
    if (index >= 0 && index < rows_.size() && rows_[index].canToggle)
        emit visibilityToggled(rows_[index].kind, !rows_[index].isVisible);
}

void SettingsMetricList::moveRow(int index, int direction)
{
    const int to = index + direction;
    if (index < 0 || index >= rows_.size() || to < 0 || to >= rows_.size())
        return;
    focusedRow_ = to;
    // The destination counts places before the move: below the next row is two on.
    dropRow(index, direction < 0 ? to : to + 1);
    update();
}

void SettingsMetricList::keyPressEvent(QKeyEvent* event)
{
    const bool alt = event->modifiers() & Qt::AltModifier;
    const int last = static_cast<int>(rows_.size()) - 1;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int direction = event->key() == Qt::Key_Up ? -1 : 1;
        if (alt) {
            moveRow(focusedRow_, direction);
        } else {
            focusedRow_ = std::clamp(focusedRow_ + direction, 0, std::max(last, 0));
            IslandAccessibility::reportFocus(this, static_cast<int>(rows_.value(focusedRow_).kind));
            update();
        }
        break;
    }
    case Qt::Key_Space:
        toggleRow(focusedRow_);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void SettingsMetricList::cancelPress()
{
    pressedIndex_ = -1;
    pressedOnToggle_ = false;
    if (isDragging_) {
        isDragging_ = false;
        unsetCursor();
        update();
    }
}

void SettingsMetricList::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    pressedIndex_ = rowAt(event->position().y());
    pressPosition_ = event->position();
    pressedOnToggle_ = pressedIndex_ >= 0 && toggleRect(pressedIndex_).contains(event->position());
}

void SettingsMetricList::mouseMoveEvent(QMouseEvent* event)
{
    if (pressedIndex_ < 0)
        return;
    if (!isDragging_ && (event->position() - pressPosition_).manhattanLength() >= QApplication::startDragDistance()) {
        isDragging_ = true;
        setCursor(Qt::ClosedHandCursor);
    }
    if (isDragging_) {
        dragY_ = event->position().y();
        update();
    }
}

void SettingsMetricList::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || pressedIndex_ < 0)
        return;
    const int index = pressedIndex_;
    const bool wasDragging = isDragging_;
    const bool toggles = pressedOnToggle_ && toggleRect(index).contains(event->position());
    cancelPress();
    if (wasDragging) {
        dropRow(index, dropOffsetAt(event->position().y()));
    } else if (toggles && rows_[index].canToggle) {
        emit visibilityToggled(rows_[index].kind, !rows_[index].isVisible);
    }
}

void SettingsMetricList::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(rect()), kCornerRadius, kCornerRadius);
    painter.fillPath(outline, IslandPalette::surface());
    painter.setClipPath(outline);

    for (int index = 0; index < rows_.size(); ++index) {
        if (isDragging_ && index == pressedIndex_)
            continue;
        paintRow(painter, index, rowRect(index));
    }
    if (FocusRing::isShown(this) && focusedRow_ < rows_.size())
        FocusRing::paint(painter, rowRect(focusedRow_).adjusted(2, 0, -2, 0), px(5));
    if (isDragging_) {
        paintDropIndicator(painter);
        // The lifted row follows the pointer, kept inside the list.
        QRectF lifted = rowRect(pressedIndex_);
        const double top = std::clamp(lifted.top() + dragY_ - pressPosition_.y(), 0.0, height() - lifted.height());
        lifted.moveTop(top);
        painter.fillRect(lifted, IslandPalette::divider());
        paintRow(painter, pressedIndex_, lifted);
    }
}

void SettingsMetricList::paintDropIndicator(QPainter& painter) const
{
    const int gap = dropOffsetAt(dragY_);
    if (gap == pressedIndex_ || gap == pressedIndex_ + 1)
        return;
    const double y = kVerticalInset + gap * rowHeight;
    painter.fillRect(QRectF(px(kHorizontalInset), y - px(1), width() - px(2 * kHorizontalInset), px(2)),
                     IslandPalette::mint());
}

void SettingsMetricList::paintRow(QPainter& painter, int index, const QRectF& rect) const
{
    const SettingsMetricRow& row = rows_[index];
    painter.fillRect(rect, IslandPalette::surface());

    const double textSize = TextSize::emphasis;
    const QRectF symbolFrame(px(kHorizontalInset), rect.top(), px(kSymbolFrameWidth), rect.height());
    SymbolFont::shared().draw(painter, QString::fromLatin1(ReadingTable::of(row.kind).icon), symbolFrame, textSize,
                              IslandPalette::secondary());

    painter.save();
    if (!row.canToggle)
        painter.setOpacity(SettingsStyle::disabledOpacity);
    const double checkboxLeft = symbolFrame.right() + px(kSpacing);
    const double side = px(kCheckboxSide);
    paintCheckbox(painter, QRectF(checkboxLeft, rect.center().y() - side / 2, side, side), row.isVisible);
    const double titleLeft = checkboxLeft + side + px(kCheckboxTitleSpacing);
    painter.setFont(titleFont());
    painter.setPen(IslandPalette::primary());
    painter.drawText(QRectF(titleLeft, rect.top(), rect.width() - titleLeft - px(kHandleWidth + kHorizontalInset + 4),
                            rect.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(ReadingTable::of(row.kind).title));
    painter.restore();

    const QRectF handle(rect.right() - px(kHorizontalInset + kHandleWidth), rect.top(), px(kHandleWidth), rect.height());
    SymbolFont::shared().draw(painter, u"line.3.horizontal", handle, TextSize::body,
                              IslandPalette::withOpacity(IslandPalette::secondary(), 0.55));
}

void SettingsMetricList::paintCheckbox(QPainter& painter, const QRectF& box, bool checked) const
{
    painter.save();
    if (checked) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(IslandPalette::mint());
        painter.drawRoundedRect(box, px(3.5), px(3.5));
        QPainterPath tick;
        tick.moveTo(box.topLeft() + QPointF(px(3.4), px(7.2)));
        tick.lineTo(box.topLeft() + QPointF(px(6), px(9.8)));
        tick.lineTo(box.topLeft() + QPointF(px(10.8), px(4.4)));
        painter.setPen(QPen(IslandPalette::background(), px(1.8), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(tick);
    } else {
        painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.35f), 1));
        painter.setBrush(QColor::fromRgbF(1, 1, 1, 0.04f));
        painter.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), px(3.5), px(3.5));
    }
    painter.restore();
}

}  // namespace moravel
