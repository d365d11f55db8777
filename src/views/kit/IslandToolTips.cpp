#include "views/kit/IslandToolTips.h"

#include "views/kit/Fonts.h"
#include "views/kit/IslandPalette.h"
#include "views/kit/IslandScale.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace moravel {

namespace {

constexpr int kPadding = 6;
constexpr int kWidest = 320;
constexpr int kBelowPointer = 20;

// The help text of the part of `widget` at `position`, or of its nearest
// ancestor in the window that has one.
std::optional<ToolTip> toolTipAt(QWidget* widget, QPoint position)
{
    for (; widget; widget = widget->parentWidget()) {
        const QPoint origin = widget->mapToGlobal(QPoint(0, 0));
        if (const auto* source = dynamic_cast<const ToolTipSource*>(widget)) {
            if (std::optional<ToolTip> tip = source->toolTipAt(position))
                return tip;
        } else if (auto* view = qobject_cast<QAbstractItemView*>(widget->parentWidget());
                   view && view->viewport() == widget) {
            const QModelIndex index = view->indexAt(position);
            const QString text = index.data(Qt::ToolTipRole).toString();
            if (!text.isEmpty())
                return ToolTip{text, view->visualRect(index).translated(origin)};
        } else if (!widget->toolTip().isEmpty()) {
            return ToolTip{widget->toolTip(), QRect(origin, widget->size())};
        }
        if (widget->isWindow())
            break;
        position = widget->mapToParent(position);
    }
    return std::nullopt;
}

QFont tipFont()
{
    return Fonts::words(TextSize::body, QFont::Medium);
}

}  // namespace

// A dark box with the island's edge; it takes neither pointer nor keyboard.
class IslandToolTips::TipWindow final : public QWidget {
public:
    TipWindow()
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                               Qt::WindowTransparentForInput |
                               Qt::NoDropShadowWindowHint)
    {
        setWindowTitle(QStringLiteral("Moravel Help"));
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFont(tipFont());
    }

    QString text;

    void fit()
    {
        const int padding = pxInt(kPadding);
        const QRect bounds = fontMetrics().boundingRect(QRect(0, 0, pxInt(kWidest), 10000),
                                                        Qt::TextWordWrap | Qt::AlignLeft, text);
        resize(bounds.width() + 2 * padding + 2, bounds.height() + 2 * padding);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), IslandPalette::background());
        painter.setPen(IslandPalette::edge());
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        painter.setPen(IslandPalette::primary());
        const int padding = pxInt(kPadding);
        painter.drawText(rect().adjusted(padding + 1, padding, -padding - 1, -padding),
                         Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignVCenter, text);
    }
};

IslandToolTips::IslandToolTips(Scheduler& scheduler, QObject* parent)
    : QObject(parent), scheduler_(scheduler), tip_(std::make_unique<TipWindow>())
{
    qApp->installEventFilter(this);
}

IslandToolTips::~IslandToolTips() = default;

QString IslandToolTips::shownText() const
{
    return tip_->isVisible() ? tip_->text : QString();
}

QWidget& IslandToolTips::window() const
{
    return *tip_;
}

bool IslandToolTips::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::ToolTip:
        // The toolkit's own box, offered only to the active window.
        return true;
    case QEvent::MouseMove:
        // Every move reaches the window, whether or not a widget in it
        // tracks the pointer.
        if (watched->isWindowType()) {
            const QList<QWidget*> windows = QApplication::topLevelWidgets();
            const auto owner = std::find_if(windows.begin(), windows.end(), [watched](QWidget* window) {
                return window->windowHandle() == watched;
            });
            if (owner != windows.end() && *owner != tip_.get())
                pointerMoved(*owner, static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        }
        break;
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
    case QEvent::KeyPress:
        if (watched->isWindowType()) {
            delay_.cancel();
            hideTip();
        }
        break;
    default: break;
    }
    return QObject::eventFilter(watched, event);
}

void IslandToolTips::pointerMoved(QWidget* window, const QPoint& globalPosition)
{
    // Still over the part whose text shows: it stays.
    if (shownArea_ && window == hovered_ && shownArea_->contains(globalPosition))
        return;
    hideTip();
    hovered_ = window;
    pointer_ = globalPosition;
    lastMove_ = scheduler_.monotonicSeconds();
    // One wait at a time, however many moves: it checks the pointer has
    // rested when it ends.
    if (!delay_.isPending())
        delay_.arm(scheduler_, delaySeconds, this, [this] { showTip(); });
}

void IslandToolTips::showTip()
{
    // Moved meanwhile: the rest of the wait from the last move (a wait
    // shorter than a microsecond is none).
    const double left = lastMove_ + delaySeconds - scheduler_.monotonicSeconds();
    if (left > 1e-6) {
        delay_.arm(scheduler_, left, this, [this] { showTip(); });
        return;
    }
    if (!hovered_ || !hovered_->isVisible())
        return;
    const QPoint local = hovered_->mapFromGlobal(pointer_);
    QWidget* under = hovered_->childAt(local);
    const std::optional<ToolTip> tip =
        toolTipAt(under ? under : hovered_.data(), under ? under->mapFrom(hovered_, local) : local);
    if (!tip || !tip->area.contains(pointer_))
        return;
    tip_->text = tip->text;
    tip_->fit();
    QPoint position = pointer_ + QPoint(0, pxInt(kBelowPointer));
    if (const QScreen* screen = QGuiApplication::screenAt(pointer_)) {
        const QRect area = screen->availableGeometry();
        position.setX(std::clamp(position.x() - tip_->width() / 2, area.left(),
                                 std::max(area.left(), area.right() + 1 - tip_->width())));
        if (position.y() + tip_->height() > area.bottom() + 1)
            position.setY(pointer_.y() - pxInt(kBelowPointer) / 2 - tip_->height());
    }
    tip_->move(position);
    tip_->update();
    tip_->show();
    shownArea_ = tip->area;
}

void IslandToolTips::hideTip()
{
    shownArea_.reset();
    tip_->hide();
}

}  // namespace moravel
